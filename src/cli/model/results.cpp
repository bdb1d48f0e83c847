#include "results.h"

#include <algorithm>
#include <cmath>

ResultId ResultTable::add(ResultSpec result)
{
    m_specs.append(std::move(result));
    return ResultId(m_specs.size() - 1);
}

Results::Results(const ResultTable &table)
    : m_table(table), m_values(static_cast<std::size_t>(table.specs().size()))
{
}

void Results::clear()
{
    std::fill(m_values.begin(), m_values.end(), std::nullopt);
}

std::optional<QString> Results::firstNonFinite(const std::vector<ResultId> &infinite) const
{
    for (int column = 0; column < m_table.specs().size(); ++column) {
        const auto &value = at(column);
        if (!value || std::isfinite(*value))
            continue;
        const bool allowed = std::isinf(*value)
                && std::any_of(infinite.cbegin(), infinite.cend(),
                               [column](ResultId result) { return result.m_column == column; });
        if (!allowed)
            return m_table.specs().at(column).label;
    }
    return std::nullopt;
}
