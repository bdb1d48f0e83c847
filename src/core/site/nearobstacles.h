#pragma once

#include "shadows.h"

#include <functional>
#include <optional>
#include <vector>

// The obstacles about one camera, each placed in the camera's plane only
// when something first needs its outline. A town camera's cone meets some
// ninety obstacles on each plane and nearer ones hide three quarters of
// them; a box that surely holds each, worked out without projecting, is
// enough to pass those over (Horizon::hidesBox).
class NearObstacles
{
public:
    using Place = std::function<PlaneObstacle(std::size_t key)>;

    NearObstacles() = default;
    // Placed already, as a site's obstacles are in its own plane; not
    // explicit, since such a list is what coverage and tests pass.
    NearObstacles(const std::vector<const PlaneObstacle *> &placed);
    explicit NearObstacles(Place place);

    // Placed by the Place given, with `key`, when first asked for; `box`
    // holds all of it.
    void add(const PlaneGeometry::Bounds &box, std::size_t key);
    // Placed already: its own box.
    void add(PlaneObstacle placed);

    std::size_t size() const { return m_entries.size(); }
    // The box known before placing: the obstacle's own once it is placed
    // from the start.
    const PlaneGeometry::Bounds &box(std::size_t index) const { return m_entries[index].box; }
    bool boxIsOwn(std::size_t index) const { return !m_entries[index].key.has_value(); }
    const PlaneObstacle &placed(std::size_t index) const;

private:
    struct Entry
    {
        PlaneGeometry::Bounds box;
        std::optional<std::size_t> key; // none: placed from the start
        const PlaneObstacle *borrowed = nullptr;
        mutable std::optional<PlaneObstacle> owned;
    };
    std::vector<Entry> m_entries;
    Place m_place;
};
