#pragma once

#include "siteinputs.h"

#include <QStringList>

#include <memory>
#include <optional>
#include <variant>
#include <vector>

// Works out a placed camera's share of the site's coverage, on the
// calling thread, so that records' calculations on several threads take
// the work off the run's own; why it cannot, if it cannot.
std::optional<QString> workShare(const SiteInputs &inputs, PlacedRecord &placed);

// A run that answers for the whole site (coverage, report): it collects
// each placed camera with its name, its schedule's fields and its line,
// and the records left out; its end is the coverage of the site by those
// cameras and the drawing of them, returned.
class SiteRun
{
public:
    struct Camera
    {
        QString name;
        PlacedRecord placed;
        QStringList fields; // the schedule's own, as the batch gave them
        qint64 line = 0;
    };

    // Adds a placed camera to the site's coverage; why it could not be
    // worked out, if it could not.
    std::optional<QString> add(const SiteInputs &inputs, Camera camera);
    // The pass-through column that names the cameras.
    int nameColumn = 0;
    // A record that could not be placed, with the message it was given.
    void leaveOut(const QString &message) { m_leftOut << message; }

    struct Ended
    {
        std::vector<Camera> cameras; // in the order of the schedule
        QStringList leftOut;
        SiteCoverage coverage;
    };
    // What the cameras cover, or how they are drawn, or both; why GEOS could
    // not work it out, if it could not. A signal gives it up.
    std::variant<QString, Ended> finish(const SiteInputs &inputs, CoverageWanted wanted) &&;

    // "the coverage is of the 3 cameras that could be placed; 1 could not",
    // when some could not.
    std::optional<QString> leftOutNote(const char *what) const;

private:
    CoverageBuilder &builder(const SiteInputs &inputs);

    std::unique_ptr<CoverageBuilder> m_builder; // from the first camera on
    std::vector<Camera> m_cameras;
    QStringList m_leftOut;
};
