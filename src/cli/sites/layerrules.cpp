#include "layerrules.h"

#include <fnmatch.h>

#include <algorithm>
#include <cmath>

namespace {

// Shell globs, as a user types them; both sides case-folded so that any
// case matches, beyond the ASCII that FNM_CASEFOLD knows.
bool matches(const QString &foldedPattern, const QString &layer)
{
    return fnmatch(foldedPattern.toUtf8().constData(), layer.toCaseFolded().toUtf8().constData(), 0)
            == 0;
}

// "PATTERN=VALUE", split at the last '=', since a layer's name may hold one.
std::optional<std::pair<QString, QString>> patternAndValue(const QString &given)
{
    const int equals = given.lastIndexOf(QLatin1Char('='));
    if (equals <= 0 || equals == given.size() - 1)
        return std::nullopt;
    return std::make_pair(given.left(equals), given.mid(equals + 1).trimmed());
}

} // namespace

std::optional<SiteFeature::Role> roleNamed(const QString &word)
{
    if (word == QLatin1String("area"))
        return SiteFeature::Role::area;
    if (word == QLatin1String("obstacle"))
        return SiteFeature::Role::obstacle;
    if (word == QLatin1String("privacy"))
        return SiteFeature::Role::privacy;
    if (word == QLatin1String("background"))
        return SiteFeature::Role::background;
    return std::nullopt;
}

std::variant<QString, LayerRules> LayerRules::parse(const QStringList &roles,
                                                    const QStringList &heights)
{
    LayerRules rules;
    for (const QString &given : roles) {
        const auto split = patternAndValue(given);
        const auto role = split ? roleNamed(split->second.toLower()) : std::nullopt;
        if (!role)
            return QStringLiteral("--role \"%1\" is not PATTERN=ROLE, with ROLE area, obstacle, "
                                  "privacy or background")
                    .arg(given);
        rules.m_roles.emplace_back(split->first.toCaseFolded(), *role);
        rules.m_rolePatterns << split->first;
    }
    for (const QString &given : heights) {
        const auto split = patternAndValue(given);
        bool ok = false;
        const double metres = split ? split->second.toDouble(&ok) : 0.0;
        if (!ok || !std::isfinite(metres) || metres < 0.0)
            return QStringLiteral("--obstacle-height \"%1\" is not PATTERN=m, with m metres, 0 "
                                  "or above")
                    .arg(given);
        rules.m_heights.emplace_back(split->first.toCaseFolded(), metres);
    }
    return rules;
}

std::optional<SiteFeature::Role> LayerRules::roleOf(const QString &layer) const
{
    for (const auto &[pattern, role] : m_roles) {
        if (matches(pattern, layer))
            return role;
    }
    return std::nullopt;
}

std::optional<double> LayerRules::heightOf(const QString &layer) const
{
    for (const auto &[pattern, metres] : m_heights) {
        if (matches(pattern, layer))
            return metres;
    }
    return std::nullopt;
}

QStringList LayerRules::unmatchedRoles(const QStringList &layers) const
{
    QStringList unmatched;
    for (std::size_t rule = 0; rule < m_roles.size(); ++rule) {
        const bool any = std::any_of(layers.cbegin(), layers.cend(), [&](const QString &layer) {
            return matches(m_roles[rule].first, layer);
        });
        if (!any)
            unmatched << m_rolePatterns.at(static_cast<int>(rule));
    }
    return unmatched;
}
