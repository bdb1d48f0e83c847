#pragma once

#include "sitecommand.h"

// Every camera of a schedule on the map: where it stands, the ground in
// view and each level's band, as GeoJSON or KML, with shadows cut out when
// a site's obstacles are given.
class FootprintCommand : public SiteCommand
{
public:
    FootprintCommand();

protected:
    QStringList ownFieldNames() const override;
    bool needsArea() const override { return false; }
    std::optional<QString> place(const SitePlan &plan, PlacedRecord &record) const override;
    std::unique_ptr<RecordSink> makeSink(const SitePlan &plan, const PlacedRecord &record,
                                         const OutputFormat &format,
                                         const QStringList &passThroughNames,
                                         const Streams &streams) const override;
};
