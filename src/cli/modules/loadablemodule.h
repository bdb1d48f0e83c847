#pragma once

// modules/: the libraries that only some runs need, loaded on demand: the
// loader (here), the picture module, the site module and the module of GIS
// and CAD files.

#include <QLibrary>
#include <QString>

#include <initializer_list>
#include <optional>

// Why a module cannot be used: missing, or from another build.
struct ModuleProblem
{
    QString message;
};

// A module that the program loads on first use from where the build and
// the installation both put it beside the program, and whose version is
// checked before anything else of it is called: a module from another
// prefix may lay out what crosses otherwise.
class LoadableModule
{
public:
    // purpose completes "cannot ...", as "draw pictures".
    LoadableModule(const char *fileName, const char *versionSymbol, const char *expectedVersion,
                   const char *purpose);

    // Why it cannot be used, if it cannot: missing, of another version, or
    // without one of the entry points named.
    std::optional<QString> problem(std::initializer_list<const char *> entryPoints);
    // An entry point; only after problem() found none.
    QFunctionPointer resolve(const char *symbol) { return m_library.resolve(symbol); }

private:
    QLibrary m_library;
    const char *m_versionSymbol;
    const char *m_expectedVersion;
    QString m_cannot;
};
