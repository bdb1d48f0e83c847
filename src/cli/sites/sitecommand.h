#pragma once

#include "command.h"
#include "mountinputs.h"
#include "sitelevels.h"
#include "sitemodel.h"

#include <memory>
#include <optional>
#include <vector>

// How a report lays out its pages.
struct PageSetup
{
    std::size_t paper = 0; // in the report's list of papers
    bool landscape = true;
    QString title;
    std::optional<qint64> date; // seconds since 1970
};

// What a site command knows before its first camera.
struct SitePlan
{
    MountInputs::Ways ways;
    bool byPlane; // x and y from --origin, rather than lat and lon
    std::optional<GeoPoint> origin;
    std::optional<QString> sitePath; // from --site
    std::vector<SiteLevel> levels;
    bool ownLevels; // from --levels, rather than the standard's
    std::shared_ptr<SiteEngine> engine; // none when the module cannot be used
    std::optional<QString> moduleProblem;
    bool siteGiven;
    // A command's own options, as given.
    std::optional<QString> gaps;
    std::optional<QString> plot;
    std::optional<QString> output;
    std::vector<Requirement> requirements;
    PageSetup pages;
};

// One camera as placed, for the sink to write.
struct PlacedRecord
{
    PlacedCamera camera;
    std::optional<MountInputs::Lens> lens; // when the row gave the lens
    CameraFootprint footprint;
    qint64 line = 0;
};

// Cameras on a map, as footprint and coverage take them: a schedule of
// positions (lat and lon, or x and y about --origin) and bearings, each
// with a camera on a pole as mount takes it, and a site of areas,
// obstacles and privacy zones. Rows are placed by the site module.
class SiteCommand : public PlannedCommand<SitePlan, PlacedRecord>
{
protected:
    SiteCommand(QString name, QString summary, QString details);

    std::variant<UsageError, SitePlan> prepare(const GivenInputs &given) const override;
    // The site module, then the command's own files, refused where they may
    // not be written (not a regular file, or the site read), then the
    // picture module when the command draws.
    std::optional<QString> refusesOutput(const SitePlan &plan) const final;
    std::optional<QString> calculate(const SitePlan &plan, const InputValues &values,
                                     Results &results, PlacedRecord &product) const override;

    // Whether the run draws pictures, and so needs the picture module.
    virtual bool draws(const SitePlan & /*plan*/) const { return false; }
    // Whether the command needs a site with an area.
    virtual bool needsArea() const = 0;
    // Whether cameras are measured over the site's area, and so must stand
    // near it.
    virtual bool measuresSite(const SitePlan & /*plan*/) const { return needsArea(); }
    // Places the camera: footprint draws it, coverage adds it to the site.
    virtual std::optional<QString> place(const SitePlan &plan, PlacedRecord &record) const = 0;
    // Further options of the command's own, checked once.
    virtual std::optional<QString> prepareMore(const GivenInputs &given, SitePlan &plan) const;

private:
    std::variant<QString, GeoPoint> position(const SitePlan &plan, const InputValues &values,
                                             FieldParser &parse) const;

    const InputId m_lat;
    const InputId m_lon;
    const InputId m_x;
    const InputId m_y;
    const InputId m_origin;
    const InputId m_bearing;
    const MountInputs m_mount;
    const InputId m_maxRange;
    const InputId m_site;
    const InputId m_levels;
    const ResultId m_bearingDegrees;
    const ResultId m_heightMetres;
    const ResultId m_tiltDegrees;
    const ResultId m_hfovDegrees;
    const ResultId m_vfovDegrees;
    const ResultId m_targetHeight;
};

// The camera's name in output: its first pass-through field, else line-N.
QString cameraName(const FieldList &passThrough, qint64 line);
// Whether a pass-through column is the name's own, and not repeated beside it.
bool isNameColumn(const QString &name);
