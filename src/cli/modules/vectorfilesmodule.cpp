#include "vectorfilesmodule.h"

std::variant<ModuleProblem, QString, FileContents> readVectorFile(const QString &path)
{
    static LoadableModule module("kavrelo-vectorfiles", vectorFilesVersionSymbol,
                                 KAVRELO_VERSION "/" KAVRELO_VECTOR_FILES_INTERFACE,
                                 "read GIS and CAD files");
    if (const auto problem = module.problem({readVectorFileSymbol}))
        return ModuleProblem{*problem};
    const auto read = reinterpret_cast<ReadVectorFile>(module.resolve(readVectorFileSymbol));
    FileContents contents;
    QString error;
    if (!read(path, &contents, &error))
        return error;
    return contents;
}
