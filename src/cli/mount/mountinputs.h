#pragma once

#include "command.h"
#include "fieldparser.h"
#include "mounting.h"
#include "ways.h"

#include <functional>
#include <optional>
#include <variant>

// A camera on a pole as every command that mounts one takes it: the
// resolution, its angles (--hfov [--vfov]) or its lens (--pixel-size,
// --focal-length), the lens's --height, its --tilt or --aim, and the
// --target-height.
class MountInputs
{
public:
    // Declares the inputs, in the order the help lists them, through the
    // command's addInput.
    // tiltColumns: other names of the tilt's column.
    explicit MountInputs(const std::function<InputId(InputSpec)> &add,
                         const QStringList &tiltColumns = {});

    struct Ways
    {
        Way camera; // the second way is pixel size and focal length
        Way pointing; // the second way is --aim
    };
    std::variant<UsageError, Ways> prepare(const GivenInputs &given) const;

    struct Lens
    {
        double pixelSize; // micrometres
        double focalLength; // millimetres
    };
    // A row's camera before it is pointed; parse keeps the first failure.
    struct Unpointed
    {
        ViewAngles view;
        std::optional<Lens> lens; // when given by its lens
        double lensHeight;
        double targetHeight;
        bool aimed;
    };
    // The way a row takes may be in error by itself; its message, if so.
    std::optional<QString> readCamera(const Ways &ways, const InputValues &values,
                                      FieldParser &parse, Unpointed &camera) const;
    // Then its tilt, given or aimed.
    MountedCamera point(const Unpointed &camera, const InputValues &values,
                        FieldParser &parse) const;

private:
    const InputId m_resolution;
    const InputId m_hfov;
    const InputId m_vfov;
    const InputId m_pixelSize;
    const InputId m_focalLength;
    const InputId m_height;
    const InputId m_tilt;
    const InputId m_aim;
    const InputId m_targetHeight;
    const Alternatives m_camera;
    const Alternatives m_pointing;
};

InputSpec metresInput(const char *name, const char *description, Need need = Need::optional,
                      std::optional<QString> defaultValue = {});
