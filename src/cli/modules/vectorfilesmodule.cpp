#include "vectorfilesmodule.h"

namespace {

LoadableModule &vectorFilesModule()
{
    static LoadableModule module("kavrelo-vectorfiles", vectorFilesVersionSymbol,
                                 KAVRELO_VERSION "/" KAVRELO_VECTOR_FILES_INTERFACE,
                                 "read or write GIS and CAD files");
    return module;
}

} // namespace

std::variant<ModuleProblem, QString, FileContents> readVectorFile(const QString &path)
{
    LoadableModule &module = vectorFilesModule();
    if (const auto problem = module.problem({readVectorFileSymbol}))
        return ModuleProblem{*problem};
    const auto read = reinterpret_cast<ReadVectorFile>(module.resolve(readVectorFileSymbol));
    FileContents contents;
    QString error;
    if (!read(path, &contents, &error))
        return error;
    return contents;
}

std::variant<ModuleProblem, QString, std::unique_ptr<OutputFile>>
startOutputFile(const OutputRequest &request)
{
    LoadableModule &module = vectorFilesModule();
    if (const auto problem = module.problem({startOutputFileSymbol}))
        return ModuleProblem{*problem};
    const auto start = reinterpret_cast<StartOutputFile>(module.resolve(startOutputFileSymbol));
    std::unique_ptr<OutputFile> file;
    QString error;
    if (!start(request, &file, &error))
        return error;
    return file;
}

std::variant<ModuleProblem, QString, PointTable> readPointTable(const QString &path)
{
    LoadableModule &module = vectorFilesModule();
    if (const auto problem = module.problem({readPointTableSymbol}))
        return ModuleProblem{*problem};
    const auto read = reinterpret_cast<ReadPointTable>(module.resolve(readPointTableSymbol));
    PointTable table;
    QString error;
    if (!read(path, &table, &error))
        return error;
    return table;
}

std::variant<ModuleProblem, QString, OsmContents> readOsmFile(const QString &path,
                                                              OsmInterest interest)
{
    LoadableModule &module = vectorFilesModule();
    if (const auto problem = module.problem({readOsmFileSymbol}))
        return ModuleProblem{*problem};
    const auto read = reinterpret_cast<ReadOsmFile>(module.resolve(readOsmFileSymbol));
    OsmContents contents;
    QString error;
    if (!read(path, interest, &contents, &error))
        return error;
    return contents;
}
