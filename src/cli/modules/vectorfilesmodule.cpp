#include "vectorfilesmodule.h"

namespace {

LoadableModule &vectorFilesModule()
{
    static LoadableModule module("kavrelo-vectorfiles", vectorFilesVersionSymbol,
                                 KAVRELO_VERSION "/" KAVRELO_VECTOR_FILES_INTERFACE,
                                 "read or write GIS and CAD files");
    return module;
}

// An entry point of the module, each of which takes its arguments, then
// where its answer goes and where why not goes, and says whether it worked.
template <typename Answer, typename Entry, typename... Arguments>
std::variant<ModuleProblem, QString, Answer> called(const char *symbol,
                                                    const Arguments &...arguments)
{
    LoadableModule &module = vectorFilesModule();
    if (const auto problem = module.problem({symbol}))
        return ModuleProblem{*problem};
    const auto entry = reinterpret_cast<Entry>(module.resolve(symbol));
    Answer answer;
    QString error;
    if (!entry(arguments..., &answer, &error))
        return error;
    return answer;
}

} // namespace

std::variant<ModuleProblem, QString, FileContents> readVectorFile(const QString &path)
{
    return called<FileContents, ReadVectorFile>(readVectorFileSymbol, path);
}

std::variant<ModuleProblem, QString, std::unique_ptr<OutputFile>>
startOutputFile(const OutputRequest &request)
{
    return called<std::unique_ptr<OutputFile>, StartOutputFile>(startOutputFileSymbol, request);
}

std::variant<ModuleProblem, QString, PointTable> readPointTable(const QString &path)
{
    return called<PointTable, ReadPointTable>(readPointTableSymbol, path);
}

std::variant<ModuleProblem, QString, OsmContents> readOsmFile(const QString &path,
                                                              OsmInterest interest)
{
    return called<OsmContents, ReadOsmFile>(readOsmFileSymbol, path, interest);
}
