#pragma once

#include "mounting.h"
#include "sitemodel.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

// A site's report as the program hands it to the pictures' module: every
// figure already in its text as the commands print it, so that the module
// only lays the pages out and draws.

// A table: the header, then the rows; columns after the first `textColumns`
// hold numbers and stand right-aligned.
struct ReportTable
{
    QStringList header;
    std::vector<QStringList> rows;
    int textColumns = 1;
};

// A label and its value with its unit, as a command's text output has them.
using ReportFigure = std::pair<QString, QString>;

struct ReportCamera
{
    QString name;
    MountSurvey survey;
    std::vector<ReportFigure> figures; // as mount prints them
    std::vector<ReportFigure> fields; // the schedule's own columns, such as model
};

struct ReportDocument
{
    enum class Paper { a4, a3, letter, tabloid };
    Paper paper = Paper::a4;
    bool landscape = true;
    QString title;
    QString producer; // the program and its version
    // Seconds since 1970 for the document's date, as SOURCE_DATE_EPOCH
    // gives them; none, and the document carries no date.
    std::optional<qint64> date;
    // Told of each page done, of all; may be empty.
    std::function<void(int done, int total)> progress;
    // Asked after each page: true gives the document up; may be empty.
    std::function<bool()> stopRequested;

    SiteDrawing drawing;
    // With a site: what each level covers and each privacy zone shows, and
    // the gaps of the strictest level that covers anything.
    std::optional<ReportTable> coverage;
    QString gapsLabel;
    std::vector<PlanePolygon> gaps;

    ReportTable schedule;
    ReportTable bill;
    std::vector<ReportCamera> cameras;
    // Headed paragraphs: the model, the levels, the records left out.
    std::vector<std::pair<QString, QStringList>> assumptions;
};
