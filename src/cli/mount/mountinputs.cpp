#include "mountinputs.h"

#include "fieldmessages.h"

InputSpec metresInput(const char *name, const char *description, Need need,
                      std::optional<QString> defaultValue)
{
    return {QString::fromLatin1(name), QStringLiteral("m"), QString::fromLatin1(description), need,
            std::move(defaultValue)};
}

MountInputs::MountInputs(const std::function<InputId(InputSpec)> &add,
                         const QStringList &tiltColumns)
    : m_resolution(add({QStringLiteral("resolution"), QStringLiteral("WxH"),
                        QStringLiteral("Image size in pixels, as 1920x1080; the height "
                                       "counts here."),
                        Need::required}))
    , m_hfov(add(horizontalFovInput(Need::optional)))
    , m_vfov(add({QStringLiteral("vfov"), QStringLiteral("degrees"),
                  QStringLiteral("Vertical field of view in degrees; square pixels "
                                 "without it.")}))
    , m_pixelSize(add(pixelSizeInput(Need::optional)))
    , m_focalLength(add(focalLengthInput(Need::optional)))
    , m_height(add(metresInput("height", "Height of the lens above the ground.", Need::required)))
    , m_tilt(add({QStringLiteral("tilt"), QStringLiteral("degrees"),
                  QStringLiteral("Tilt below the horizontal, between -90 and 90; negative "
                                 "looks up."),
                  Need::optional, std::nullopt, true, tiltColumns}))
    , m_aim(add(metresInput("aim",
                            "Tilt so that the top of the view meets the target's "
                            "height at this ground distance.")))
    , m_targetHeight(add(metresInput("target-height",
                                     "Height of the target, 0 for the ground (default 1.6, "
                                     "a face).",
                                     Need::optional, QStringLiteral("1.6"))))
    , m_camera(cameraWays(m_hfov, m_pixelSize, m_focalLength))
    , m_pointing({{m_tilt},
                  {m_aim},
                  QStringLiteral("give --tilt or --aim"),
                  QStringLiteral("--tilt and --aim exclude each other"),
                  {}})
{
}

std::variant<UsageError, MountInputs::Ways> MountInputs::prepare(const GivenInputs &given) const
{
    const auto camera = chooseWay(given, m_camera);
    if (const auto *error = std::get_if<UsageError>(&camera))
        return *error;
    if (given.given(m_vfov) && !given.given(m_hfov))
        return UsageError{QStringLiteral("--vfov goes with --hfov")};
    const auto pointing = chooseWay(given, m_pointing);
    if (const auto *error = std::get_if<UsageError>(&pointing))
        return *error;
    return Ways{std::get<Way>(camera), std::get<Way>(pointing)};
}

std::optional<QString> MountInputs::readCamera(const Ways &ways, const InputValues &values,
                                               FieldParser &parse, Unpointed &camera) const
{
    const auto byLens = takesSecondWay(ways.camera, values, m_camera);
    if (const auto *problem = std::get_if<QString>(&byLens))
        return *problem;
    const auto aimed = takesSecondWay(ways.pointing, values, m_pointing);
    if (const auto *problem = std::get_if<QString>(&aimed))
        return *problem;
    const auto [width, height] = parse.resolution(values.field(m_resolution));
    std::optional<ViewAngles> view;
    if (std::get<bool>(byLens)) {
        const double pixelSize = parse.positive(Field::pixelSize, values.field(m_pixelSize));
        const double focalLength = parse.positive(Field::focalLength, values.field(m_focalLength));
        view = viewFromLens(width, height, pixelSize, focalLength);
        camera.lens = Lens{pixelSize, focalLength};
    } else {
        const double horizontal = parse.fieldOfView(values.field(m_hfov), Field::horizontalFov);
        const auto vertical = values.given(m_vfov)
                ? std::optional<double>(parse.fieldOfView(values.field(m_vfov), Field::verticalFov))
                : std::nullopt;
        view = viewFromFov(width, height, horizontal, vertical);
        camera.lens.reset();
    }
    camera.view = *view;
    camera.lensHeight = parse.positive(Field::height, values.field(m_height));
    camera.targetHeight = parse.nonNegative(Field::targetHeight, values.field(m_targetHeight));
    camera.aimed = std::get<bool>(aimed);
    return std::nullopt;
}

MountedCamera MountInputs::point(const Unpointed &camera, const InputValues &values,
                                 FieldParser &parse) const
{
    double tilt = 0.0;
    if (camera.aimed) {
        const double aim = parse.nonNegative(Field::aim, values.field(m_aim));
        tilt = tiltToAim(camera.view, camera.lensHeight - camera.targetHeight, aim);
        if (!parse.error() && !(tilt >= -90.0 && tilt <= 90.0))
            parse.fail(fieldError(Field::aim, *values[m_aim],
                                  QStringLiteral("needs a tilt of %1 degrees, not between -90 "
                                                 "and 90")
                                          .arg(tilt, 0, 'f', 4)));
    } else {
        tilt = parse.between(Field::tilt, values.field(m_tilt), -90.0, 90.0,
                             QStringLiteral("degrees"));
    }
    return {camera.view, camera.lensHeight, tilt};
}
