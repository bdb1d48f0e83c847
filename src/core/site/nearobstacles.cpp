#include "nearobstacles.h"

NearObstacles::NearObstacles(const std::vector<const PlaneObstacle *> &placed)
{
    m_entries.reserve(placed.size());
    for (const PlaneObstacle *each : placed)
        m_entries.push_back({each->bounds, std::nullopt, each, std::nullopt});
}

NearObstacles::NearObstacles(Place place) : m_place(std::move(place))
{
}

void NearObstacles::add(const PlaneGeometry::Bounds &box, std::size_t key)
{
    m_entries.push_back({box, key, nullptr, std::nullopt});
}

void NearObstacles::add(PlaneObstacle placed)
{
    const PlaneGeometry::Bounds box = placed.bounds;
    m_entries.push_back({box, std::nullopt, nullptr, std::move(placed)});
}

const PlaneObstacle &NearObstacles::placed(std::size_t index) const
{
    const Entry &entry = m_entries[index];
    if (entry.borrowed)
        return *entry.borrowed;
    if (!entry.owned)
        entry.owned = m_place(*entry.key);
    return *entry.owned;
}
