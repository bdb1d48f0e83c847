#pragma once

#include "calculation.h"
#include "messages.h"
#include "recordsource.h"

#include <QStringList>
#include <QVector>

#include <functional>
#include <memory>
#include <variant>

struct OutputFormat;
struct Streams;

// What a batch needs of the command that runs it.
struct BatchCommand
{
    const InputTable &inputs;
    const ResultTable &results; // as declared, for the header's names
    QStringList ownFieldNames; // that the output writes beside the results
    const Messages &messages;
    // The calculation for the command line's values and the batch's
    // columns: the column that feeds each input, or -1, and the header.
    std::function<std::variant<UsageError, std::unique_ptr<Calculation>>(
            const InputValues &commandLine, const QVector<int> &columnOfInput,
            const QStringList &header)>
            prepare;
    // A batch that is not CSV, as the command reads it: nothing for CSV,
    // else its records or why it cannot be read.
    std::function<std::optional<std::variant<QString, std::unique_ptr<RecordSource>>>(
            const QString &path, const InputValues &commandLine)>
            otherSource;
};

// A batch from a file, or - for standard input: its header, then each
// record computed and written in turn, then the run's end.
class BatchRun
{
public:
    static ExitStatus run(const BatchCommand &command, const Streams &streams, const QString &path,
                          const InputValues &commandLine, const OutputFormat &format);

private:
    // descriptor: where the batch is open, or -1 when it is not a file.
    static ExitStatus read(const BatchCommand &command, const Streams &streams,
                           RecordSource &reader, const QString &sourceName, int descriptor,
                           const InputValues &commandLine, const OutputFormat &format);
};
