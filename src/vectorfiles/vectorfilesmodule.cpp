#include "osmreader.h"
#include "vectorfilereader.h"
#include "vectorfilesentry.h"
#include "vectorfilewriter.h"

#include <QtGlobal>

extern "C" Q_DECL_EXPORT const char *kavreloVectorFilesVersion()
{
    return KAVRELO_VERSION "/" KAVRELO_VECTOR_FILES_INTERFACE;
}

extern "C" Q_DECL_EXPORT bool kavreloReadVectorFile(const QString &path, FileContents *read,
                                                    QString *error)
{
    auto made = readVectorFile(path);
    if (auto *problem = std::get_if<QString>(&made)) {
        *error = std::move(*problem);
        return false;
    }
    *read = std::get<FileContents>(std::move(made));
    return true;
}

extern "C" Q_DECL_EXPORT bool kavreloReadPointTable(const QString &path, PointTable *table,
                                                    QString *error)
{
    auto made = readPointTable(path);
    if (auto *problem = std::get_if<QString>(&made)) {
        *error = std::move(*problem);
        return false;
    }
    *table = std::get<PointTable>(std::move(made));
    return true;
}

extern "C" Q_DECL_EXPORT bool kavreloReadOsmFile(const QString &path, OsmInterest interest,
                                                 OsmContents *read, QString *error)
{
    auto made = readOsmFile(path, interest);
    if (auto *problem = std::get_if<QString>(&made)) {
        *error = std::move(*problem);
        return false;
    }
    *read = std::get<OsmContents>(std::move(made));
    return true;
}

extern "C" Q_DECL_EXPORT bool kavreloStartOutputFile(const OutputRequest &request,
                                                     std::unique_ptr<OutputFile> *file,
                                                     QString *error)
{
    auto made = startOutputFile(request);
    if (auto *problem = std::get_if<QString>(&made)) {
        *error = std::move(*problem);
        return false;
    }
    *file = std::get<std::unique_ptr<OutputFile>>(std::move(made));
    return true;
}
