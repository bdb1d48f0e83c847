#pragma once

#include "placedsite.h"
#include "viewspans.h"

#include <memory>

// Coverage of a placed site: each camera's regions per level as it is
// added, then at finish() their union (where one or more cameras meet a
// level), where two or more do (redundancy), the gaps of the ground, and
// the drawing.
class GeosCoverageBuilder final : public CoverageBuilder
{
public:
    GeosCoverageBuilder(std::shared_ptr<const PlacedSite> site, std::vector<SiteLevel> levels);

    std::optional<QString> add(const NamedCamera &camera) override;
    std::variant<QString, SiteCoverage> finish(CoverageWanted wanted, StopRequested stop)
            && override;

private:
    // Where one region or more holds, and where two or more do.
    struct Layers
    {
        Geometry once;
        Geometry twice;
    };
    // A level's row, worked out in the geometry's own context from the WKB
    // of its regions and of the ground; for the loosest level, also its
    // layers as WKB, which the privacy zones are measured against.
    struct LevelRow
    {
        CoverageRow row;
        std::string once;
        std::string twice;
    };
    LevelRow levelRow(const PlaneGeometry &geometry, const std::vector<std::string> &regions,
                      const std::string &ground, bool keepLayers, const GeosStopHook &stop) const;
    Layers merged(const PlaneGeometry &geometry, std::vector<Geometry> &regions, std::size_t from,
                  std::size_t to, const GeosStopHook &stop) const;
    std::vector<MeasuredArea> gaps(const PlaneGeometry &geometry,
                                   const GEOSGeometry &uncovered) const;
    SiteDrawing drawing(const GeosStopHook &stop) const;
    CoverageReport report(const GeosStopHook &stop, int jobs);

    // Declared first, so that it is destroyed last: the regions below are
    // made in its context.
    const std::shared_ptr<const PlacedSite> m_site;
    const PlaneGeometry &m_geometry;
    const std::vector<SiteLevel> m_levels;
    // The site's plane; without a site, the first camera's.
    std::optional<LocalPlane> m_plane;
    std::vector<std::vector<Geometry>> m_held; // per level, per camera
    std::vector<SiteDrawing::Camera> m_cameras;
    bool m_finished = false;
};
