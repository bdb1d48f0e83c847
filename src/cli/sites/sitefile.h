#pragma once

// sites/: what the site commands share: the site as GeoJSON (here) and
// from the files of GIS and CAD programs, roles by layer, the levels, the
// inputs that place a camera, a run over the whole site, the coverage
// table, and the map as GeoJSON and KML.

#include "layerrules.h"
#include "sitemodel.h"

#include <QByteArray>
#include <QString>

#include <variant>

// A site in RFC 7946 GeoJSON: a FeatureCollection, one Feature or a bare
// geometry, each feature with its role (area, the default; obstacle;
// privacy), an optional name and, for an obstacle, an optional height in
// metres. A feature without a role takes its layer's from the rules, its
// layer being the collection's name or else the file's, as OGR names it;
// else it is an area. The message says what is wrong and where, with the
// file's name.
std::variant<QString, Site> parseSite(const QByteArray &json, const QString &fileName,
                                      const LayerRules &rules);
