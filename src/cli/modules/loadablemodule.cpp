#include "loadablemodule.h"

#include <QDir>
#include <QFileInfo>

// The program's own path comes from /proc, which is why the command line is
// built on Linux only.
LoadableModule::LoadableModule(const char *fileName, const char *versionSymbol,
                               const char *expectedVersion, const char *purpose)
    : m_library(QDir::cleanPath(QDir(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath())
                                        .filePath(QStringLiteral(KAVRELO_MODULE_FROM_PROGRAM "/")
                                                  + QLatin1String(fileName))))
    , m_versionSymbol(versionSymbol)
    , m_expectedVersion(expectedVersion)
    , m_cannot(QStringLiteral("cannot %1").arg(QLatin1String(purpose)))
{
}

std::optional<QString> LoadableModule::problem(std::initializer_list<const char *> entryPoints)
{
    using Version = const char *(*)();
    const auto version = reinterpret_cast<Version>(m_library.resolve(m_versionSymbol));
    if (!version)
        return QStringLiteral("%1: %2").arg(m_cannot, m_library.errorString());
    if (qstrcmp(version(), m_expectedVersion) != 0)
        return QStringLiteral("%1: %2 is version %3, not %4")
                .arg(m_cannot, m_library.fileName(), QLatin1String(version()),
                     QLatin1String(m_expectedVersion));
    for (const char *entryPoint : entryPoints) {
        if (!m_library.resolve(entryPoint))
            return QStringLiteral("%1: %2").arg(m_cannot, m_library.errorString());
    }
    return std::nullopt;
}
