#pragma once

#include "kavrelocli.h"
#include "memorystreams.h"

#include <QByteArray>
#include <QStringList>

// A whole run of kavrelo-cli in-process, with its streams in memory.
struct CliRun
{
    QByteArray output;
    QByteArray errors;
    ExitStatus status;
};

// Writes to output, which the caller may watch while the run reads input.
inline CliRun runCli(const QStringList &arguments, ByteSource &input, MemorySink &output)
{
    MemorySink errors;
    const ExitStatus status = runKavreloCli(arguments, {input, output, errors});
    return {output.all(), errors.all(), status};
}

inline CliRun runCli(const QStringList &arguments, const QByteArray &input = {})
{
    MemorySource source(input);
    MemorySink output;
    return runCli(arguments, source, output);
}
