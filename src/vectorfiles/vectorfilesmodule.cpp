#include "osmreader.h"
#include "vectorfilereader.h"
#include "vectorfilesentry.h"
#include "vectorfilewriter.h"

#include <QtGlobal>

namespace {

// What an entry point worked out, handed over through its out-parameters:
// true with the answer, else false with why.
template <typename Answer>
bool handedOver(std::variant<QString, Answer> &&made, Answer *answer, QString *error)
{
    if (auto *problem = std::get_if<QString>(&made)) {
        *error = std::move(*problem);
        return false;
    }
    *answer = std::get<Answer>(std::move(made));
    return true;
}

} // namespace

extern "C" Q_DECL_EXPORT const char *kavreloVectorFilesVersion()
{
    return KAVRELO_VERSION "/" KAVRELO_VECTOR_FILES_INTERFACE;
}

extern "C" Q_DECL_EXPORT bool kavreloReadVectorFile(const QString &path, FileContents *read,
                                                    QString *error)
{
    return handedOver(readVectorFile(path), read, error);
}

extern "C" Q_DECL_EXPORT bool kavreloReadPointTable(const QString &path, PointTable *table,
                                                    QString *error)
{
    return handedOver(readPointTable(path), table, error);
}

extern "C" Q_DECL_EXPORT bool kavreloReadOsmFile(const QString &path, OsmInterest interest,
                                                 OsmContents *read, QString *error)
{
    return handedOver(readOsmFile(path, interest), read, error);
}

extern "C" Q_DECL_EXPORT bool kavreloStartOutputFile(const OutputRequest &request,
                                                     std::unique_ptr<OutputFile> *file,
                                                     QString *error)
{
    return handedOver(startOutputFile(request), file, error);
}
