#pragma once

#include "geosgeometry.h"
#include "localplane.h"
#include "nearobstacles.h"
#include "shadows.h"
#include "viewcone.h"
#include "viewspans.h"

#include <memory>
#include <optional>
#include <variant>
#include <vector>

// A site placed on its own plane, once: the ground to cover (areas less
// obstacles), the privacy zones and the obstacles in that plane for
// coverage, and the obstacles' features in a spatial index by their
// longitude and latitude, for each camera's footprint in a plane of its own.
// Nothing of it changes after place(); coverage builders share it.
class PlacedSite final : public SiteGeometry, public std::enable_shared_from_this<PlacedSite>
{
public:
    // Why the site cannot be used: a polygon that crosses itself, a site
    // across the antimeridian, or what GEOS could not work out.
    static std::variant<QString, std::shared_ptr<const PlacedSite>> place(Site site, SiteUse use);

    std::optional<GeoPoint> centre() const override;
    SiteFrame frame() const override;
    double distance(GeoPoint from, GeoPoint to) const override;
    std::optional<GeoPoint> fromPlane(GeoPoint origin, double x, double y) const override;
    PlanePoint toPlane(GeoPoint origin, GeoPoint point) const override;
    std::variant<QString, CameraFootprint>
    footprint(const PlacedCamera &camera, const std::vector<SiteLevel> &levels) const override;
    std::variant<QString, std::optional<CameraShare>>
    coverageShare(const PlacedCamera &camera, const std::vector<SiteLevel> &levels) const override;
    std::unique_ptr<CoverageBuilder>
    startCoverage(const std::vector<SiteLevel> &levels) const override;

    const PlaneGeometry &geometry() const { return m_geometry; }
    // Nothing for a site without features.
    const std::optional<LocalPlane> &plane() const { return m_plane; }
    const std::vector<PlaneObstacle> &obstacles() const { return m_obstacles; }
    // Those of the site's plane that the cone may meet, in the site's
    // order; none for a site placed for footprints alone.
    std::vector<const PlaneObstacle *> obstaclesMeeting(const ViewCone &cone) const;
    const GEOSGeometry &ground() const { return *m_ground; }
    struct Zone
    {
        QString name;
        Geometry shape;
    };
    const std::vector<Zone> &privacy() const { return m_privacy; }
    const Site &site() const { return m_site; }

    // Not for use: place() makes it. Public for make_shared alone.
    struct Key
    {
    };
    PlacedSite(Key, Site site, SiteUse use);

private:
    std::optional<QString> placeFeatures();
    std::variant<QString, CameraFootprint> footprintOf(const PlacedCamera &camera,
                                                       const ViewSpans &spans) const;
    // The obstacles whose longitude and latitude box comes within reach of
    // a point, or all of them for a negative reach, as their entries.
    std::vector<std::size_t> obstacleEntriesNear(GeoPoint near, double reach) const;
    // All obstacles, in a plane.
    std::vector<PlaneObstacle> obstaclesIn(const LocalPlane &plane) const;
    // Those within reach of a point that may meet a cone in a plane, each
    // placed there when first needed.
    NearObstacles obstaclesAbout(const LocalPlane &plane, GeoPoint near, double reach,
                                 const ViewCone &cone) const;
    // The obstacle of an entry, in a plane.
    PlaneObstacle obstacleIn(const LocalPlane &plane, std::size_t entry) const;

    // Declared first, so that it is destroyed last: every Geometry below is
    // made in it.
    GeosContext m_context;
    PlaneGeometry m_geometry;
    Site m_site;
    std::vector<std::size_t> m_obstacleFeatures; // indices into m_site.features
    std::vector<GeoBox> m_obstacleBoxes; // of the same
    double m_widestObstacleLatitude = 0.0; // in degrees from the equator
    std::unique_ptr<BoxIndex> m_obstacleIndex; // of the same, x longitude, y latitude
    std::optional<LocalPlane> m_plane;
    std::vector<PlaneObstacle> m_obstacles; // in m_plane
    std::unique_ptr<BoxIndex> m_planeIndex; // of their bounds there
    SiteUse m_use;
    Geometry m_ground;
    std::vector<Zone> m_privacy;
};

// Open rings in a plane: a closed ring's last point, the first again, left
// out.
PlaneRing projected(const LocalPlane &plane, const std::vector<GeoPoint> &points, bool closed);
PlanePolygon projected(const LocalPlane &plane, const GeoPolygon &polygon);
// The ground of an area drawn as its middle lines (SiteFeature::width),
// in a plane.
Geometry widenedArea(const PlaneGeometry &geometry, const LocalPlane &plane,
                     const SiteFeature &feature);

// Runs work, turning what GEOS could not work out into its message: the
// module's edge throws nothing.
template <typename Work>
auto guarded(Work work) -> std::variant<QString, decltype(work())>
{
    try {
        return work();
    } catch (const std::exception &failure) {
        return QStringLiteral("the polygons could not be worked out: %1")
                .arg(QString::fromUtf8(failure.what()));
    }
}
