#pragma once

#include "sitemodel.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <variant>
#include <vector>

// The roles and obstacle heights that --role and --obstacle-height give by
// layer name, for files that carry no role or height of their own: each a
// shell glob over the layer's name (the OGR layer, or the DXF Layer field),
// in any case. The first pattern that matches a layer decides.
class LayerRules
{
public:
    // From each option's values, one to a line; the message names the
    // first malformed one.
    static std::variant<QString, LayerRules> parse(const QStringList &roles,
                                                   const QStringList &heights);

    std::optional<SiteFeature::Role> roleOf(const QString &layer) const;
    std::optional<double> heightOf(const QString &layer) const;
    // The --role patterns that match none of these layers.
    QStringList unmatchedRoles(const QStringList &layers) const;

private:
    std::vector<std::pair<QString, SiteFeature::Role>> m_roles; // patterns case-folded
    QStringList m_rolePatterns; // as given, for messages
    std::vector<std::pair<QString, double>> m_heights;
};

// "area", "obstacle", "privacy" or "background".
std::optional<SiteFeature::Role> roleNamed(const QString &word);
