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
// and adds what it drew to the files.
template <typename Entry, typename Subject>
std::optional<QString> drawWith(const char *symbol, const Subject &subject, const QString &path,
                                WholeFiles &files)
{
    if (const auto problem = pictureModuleProblem())
        return problem;
    const auto draw = reinterpret_cast<Entry>(module().resolve(symbol));
    QByteArray bytes;
    QString error;
    if (!draw(subject, &bytes, &error))
        return QStringLiteral("cannot write %1: %2").arg(path, error);
    return files.add(path, bytes);
}

// Draws one file, and puts it in place.
template <typename Entry, typename Subject>
std::optional<QString> drawOne(const char *symbol, const Subject &subject, const QString &path)
{
    WholeFiles files;
    if (const auto problem = drawWith<Entry>(symbol, subject, path, files))
        return problem;
    return files.put();
}

std::optional<QString> drawMountPicture(const MountSurvey &survey, const QString &path)
{
    return drawOne<DrawMountPicture>(drawMountPictureSymbol, survey, path);
}

std::optional<QString> drawSite(const SiteDrawing &drawing, const QString &path, WholeFiles &files)
{
    return drawWith<DrawSite>(drawSiteSymbol, drawing, path, files);
}

std::optional<QString> writeReport(const ReportDocument &report, const QString &path)
{
    return drawOne<MakeReport>(makeReportSymbol, report, path);
}
