#include "batchrun.h"

#include "csvreader.h"
#include "fieldtext.h"
#include "interruption.h"
#include "outputformats.h"
#include "picturenames.h"
#include "readfiles.h"
#include "streams.h"

#include <QFile>
#include <QSet>

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace {

QString cannotRead(const QString &source, const QString &reason)
{
    return QStringLiteral("cannot read %1: %2").arg(source, reason);
}

struct BatchColumns
{
    QVector<int> ofInput; // the column that feeds each input, or -1
    QVector<int> passThrough;
    QStringList passThroughNames;
};

// Columns named after an input feed it; any other column passes through,
// under a name of its own.
std::variant<UsageError, BatchColumns>
readHeader(const BatchCommand &command, const QStringList &header, const QString &sourceName)
{
    const int inputCount = command.inputs.specs().size();
    BatchColumns columns{QVector<int>(inputCount, -1), {}, {}};
    QSet<QString> resultNames{QStringLiteral("error")};
    for (const ResultSpec &result : command.results.specs())
        resultNames << normalizedColumnName(result.key);
    QSet<QString> fieldNames;
    for (const QString &field : command.ownFieldNames)
        fieldNames << normalizedColumnName(field);
    QSet<QString> takenNames;
    for (int column = 0; column < header.size(); ++column) {
        const QString &name = header.at(column);
        if (const auto input = command.inputs.indexOfColumn(name)) {
            if (columns.ofInput.at(*input) >= 0)
                return UsageError{QStringLiteral("%1: two columns feed --%2")
                                          .arg(sourceName, command.inputs.specs().at(*input).name)};
            columns.ofInput[*input] = column;
            continue;
        }
        // Its values would pass through, looking as if they had counted.
        if (const auto option = command.inputs.indexOfWholeRunOption(name))
            return UsageError{
                    QStringLiteral("%1: the column \"%2\" names --%3, which holds for "
                                   "the whole run; give it on the command line")
                            .arg(sourceName, name, command.inputs.specs().at(*option).name)};
        const QString normalized = normalizedColumnName(name);
        if (resultNames.contains(normalized))
            return UsageError{QStringLiteral("%1: the column \"%2\" has the name of a result")
                                      .arg(sourceName, name)};
        if (fieldNames.contains(normalized))
            return UsageError{QStringLiteral("%1: the column \"%2\" has the name of a field "
                                             "that the output writes itself")
                                      .arg(sourceName, name)};
        if (takenNames.contains(normalized))
            return UsageError{
                    QStringLiteral("%1: two columns are named \"%2\"").arg(sourceName, name)};
        takenNames << normalized;
        columns.passThrough << column;
        columns.passThroughNames << name;
    }
    return columns;
}

} // namespace

ExitStatus BatchRun::run(const BatchCommand &command, const Streams &streams, const QString &path,
                         const InputValues &commandLine, const OutputFormat &format)
{
    const Messages &messages = command.messages;
    if (path.isEmpty())
        return messages.usage(streams,
                              QStringLiteral("--batch needs a file name, or - for standard input"));
    if (path == QLatin1String("-")) {
        CsvReader reader(streams.input);
        return read(command, streams, reader, QStringLiteral("standard input"),
                    streams.input.descriptor(), commandLine, format);
    }
    if (command.otherSource) {
        if (auto other = command.otherSource(path, commandLine)) {
            if (const auto *problem = std::get_if<QString>(&*other))
                return messages.usage(streams, *problem);
            return read(command, streams, *std::get<std::unique_ptr<RecordSource>>(*other), path,
                        -1, commandLine, format);
        }
    }
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return messages.usage(streams, cannotRead(path, systemErrorText(errno)));
    FileDescriptorSource file(descriptor);
    CsvReader reader(file);
    const ExitStatus status = read(command, streams, reader, path, descriptor, commandLine, format);
    ::close(descriptor);
    return status;
}

ExitStatus BatchRun::read(const BatchCommand &command, const Streams &streams, RecordSource &reader,
                          const QString &sourceName, int descriptor, const InputValues &commandLine,
                          const OutputFormat &format)
{
    const Messages &messages = command.messages;
    Record header;
    if (!reader.readRecord(header)) {
        if (const auto &problem = reader.readError())
            return messages.usage(streams, cannotRead(sourceName, *problem));
        return messages.usage(streams, QStringLiteral("%1 has no header line").arg(sourceName));
    }
    if (header.error)
        return messages.usage(streams,
                              QStringLiteral("%1, line %2: the header %3")
                                      .arg(sourceName)
                                      .arg(header.line)
                                      .arg(*header.error));

    auto read = readHeader(command, header.texts(), sourceName);
    if (const auto *error = std::get_if<UsageError>(&read))
        return messages.usage(streams, error->message);
    const BatchColumns &columns = std::get<BatchColumns>(read);
    const QStringList headerNames = header.texts();
    const auto prepared = command.prepare(commandLine, columns.ofInput, headerNames);
    if (const auto *error = std::get_if<UsageError>(&prepared))
        return messages.usage(streams, error->message);
    Calculation &calculation = *std::get<1>(prepared);
    if (const auto refusal = calculation.refusesOutput())
        return messages.failedWrite(streams, *refusal);
    for (const QString &file : calculation.outputFiles()) {
        if (descriptor < 0)
            break;
        if (const auto refusal = refusesReadFile(file, descriptor, QStringLiteral("batch")))
            return messages.failedWrite(streams, *refusal);
    }
    messages.warn(streams, calculation.warnings());

    const auto sink = calculation.makeSink(format, columns.passThroughNames, streams);
    const bool answersAtEnd = calculation.answersAtEnd();
    // Rows that have arrived are answered before the reader waits for more.
    if (!answersAtEnd)
        reader.beforeWait([&sink] { sink->flush(); });
    sink->begin();
    Interruption interruption;
    ExitStatus status = ExitStatus::success;
    Record record;
    const int inputCount = command.inputs.specs().size();
    InputValues values(inputCount);
    FieldList passThrough;
    Results results(calculation.results());
    PictureNames pictureNames;
    const bool publishes = calculation.publishes();
    std::optional<qint64> cutShortAt;
    while (reader.readRecord(record)) {
        // The input's end may come with the signal that ended its writer,
        // so a last record without its line end may be a fragment.
        if (!record.lineEnded && Interruption::came()) {
            cutShortAt = record.line;
            break;
        }
        passThrough.clear();
        for (const int column : columns.passThrough)
            passThrough.push_back(column < record.size() ? record.field(column)
                                                         : std::string_view());
        std::optional<QString> problem = record.error;
        if (!problem && record.size() != header.size())
            problem = QStringLiteral("%1 fields where the header has %2")
                              .arg(record.size())
                              .arg(header.size());
        if (!problem) {
            // An empty cell gives nothing, like a missing column: the command
            // line's value counts.
            for (int index = 0; index < inputCount; ++index) {
                const int column = columns.ofInput.at(index);
                const std::string_view cell
                        = column >= 0 ? record.field(column) : std::string_view();
                if (cell.empty())
                    values.fieldAt(index) = commandLine.fieldAt(index);
                else
                    values.fieldAt(index) = {cell};
                values.setFromRow(index, !cell.empty());
            }
            values.m_line = record.line;
            results.clear();
            problem = calculation.calculate(values, results);
        }
        std::optional<PublishFailure> failure;
        if (!problem && publishes) {
            failure = calculation.publish(pictureNames.next(passThrough, record.line));
            if (failure && failure->reach == PublishFailure::recordOnly)
                problem = failure->message;
        }
        const RecordAnswer answer{passThrough, record.line};
        if (!problem)
            problem = calculation.write(*sink, results, answer);
        if (problem) {
            calculation.writeError(*sink,
                                   QStringLiteral("line %1: %2").arg(record.line).arg(*problem),
                                   answer, streams);
            status = ExitStatus::badInput;
        } else if (failure) {
            sink->finish();
            sink->flush();
            return messages.failedWrite(streams, failure->message);
        }
        if (sink->failed())
            return messages.outputFailure(streams, streams.output.errorString());
        if (Interruption::came())
            break;
    }
    // A run that answers at its end answers only for all of its input; a
    // signal, even one in the middle of that end, leaves it unanswered.
    RunEnd end;
    if (!answersAtEnd || !Interruption::came())
        end = calculation.endRun(*sink, streams);
    if (answersAtEnd && Interruption::came()) {
        messages.print(streams,
                       QStringLiteral("stopped by a signal before the end: nothing was "
                                      "printed, and every file is as it was"));
        interruption.endProgram();
    }
    sink->finish();
    const bool flushed = sink->flush();
    if (status == ExitStatus::success)
        status = end.status;
    if (Interruption::came()) {
        if (!cutShortAt)
            cutShortAt = reader.cutShortAt();
        if (cutShortAt)
            messages.print(streams,
                           QStringLiteral("%1, line %2: the record was cut short by a signal and "
                                          "not computed")
                                   .arg(sourceName)
                                   .arg(*cutShortAt));
        interruption.endProgram();
    }
    if (!flushed)
        return messages.outputFailure(streams, streams.output.errorString());
    if (const auto failure = messages.endedBadly(streams, end))
        return *failure;
    if (const auto &problem = reader.readError()) {
        messages.print(streams, cannotRead(sourceName, *problem));
        return ExitStatus::badInput;
    }
    return status;
}
