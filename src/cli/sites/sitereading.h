#pragma once

#include "layerrules.h"
#include "loadablemodule.h"
#include "osmsite.h"
#include "planplacement.h"
#include "sitemodel.h"

#include <QStringList>

#include <variant>

// A site from one file or several: GeoJSON as sitefile.h reads it, and any
// other file through the module of GIS and CAD files. The features of all
// the files make one site, in the order given.
struct SiteRead
{
    Site site;
    // What was left out or did not match, each once, to be said before
    // the run: the run goes on without it.
    QStringList warnings;
    // The plan's units, when a file is a plan: the schedule's x and y too.
    std::optional<double> planMetresPerUnit;
    // The first file of a plan and the first on the earth, for the message
    // that refuses both together with no place for the plan.
    QString firstPlan;
    QString firstOnEarth;
    // How the obstacles of an extract got their heights, a sentence each,
    // for the report's assumptions.
    QStringList heightRules;
};

// An OpenStreetMap extract's obstacles come by its tags (osmsite.h).
// Every other file's features have their role and height settled by its own attributes, else by
// the rules, else it is background (an area in GeoJSON, as before). A
// feature whose geometry does not fit its role is left out, with a warning
// for its layer; a layer where none fits is refused. A plan is placed on
// the earth as placement says, in its units or else the drawing's own;
// without a place there, the site is the plan's (SiteFrame::plan), and no
// file on the earth may join it.
// ground: what an extract gives to cover.
std::variant<ModuleProblem, QString, SiteRead> readSite(const QStringList &paths,
                                                        const LayerRules &rules,
                                                        const PlanPlacement &placement,
                                                        OsmGround ground = OsmGround::none);
