#include "picturemodule.h"

#include "loadablemodule.h"
#include "pictureentry.h"
#include "wholefile.h"

namespace {

LoadableModule &module()
{
    static LoadableModule library("kavrelo-pictures", pictureModuleVersionSymbol,
                                  KAVRELO_VERSION "/" KAVRELO_PICTURE_INTERFACE, "draw pictures");
    return library;
}

} // namespace

std::optional<QString> pictureModuleProblem()
{
    return module().problem({drawMountPictureSymbol, drawSiteSymbol, makeReportSymbol});
}

// Draws through the entry point named, once the module is found usable,
// and writes what it drew whole.
template <typename Entry, typename Subject>
std::optional<QString> drawWith(const char *symbol, const Subject &subject, const QString &path)
{
    if (const auto problem = pictureModuleProblem())
        return problem;
    const auto draw = reinterpret_cast<Entry>(module().resolve(symbol));
    QByteArray bytes;
    QString error;
    if (!draw(subject, &bytes, &error))
        return QStringLiteral("cannot write %1: %2").arg(path, error);
    return writeWholeFile(path, bytes);
}

std::optional<QString> drawMountPicture(const MountSurvey &survey, const QString &path)
{
    return drawWith<DrawMountPicture>(drawMountPictureSymbol, survey, path);
}

std::optional<QString> drawSite(const SiteDrawing &drawing, const QString &path)
{
    return drawWith<DrawSite>(drawSiteSymbol, drawing, path);
}

std::optional<QString> writeReport(const ReportDocument &report, const QString &path)
{
    return drawWith<MakeReport>(makeReportSymbol, report, path);
}
