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

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <thread>

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

// A record read and waiting for its calculation, with all that it needs:
// its own bytes, which its fields and values view.
struct BatchRecord
{
    BatchRecord(int inputCount, const ResultTable &results) : values(inputCount), results(results)
    {
    }

    // The fields of the record just read: the command line's value for an
    // input that its cell leaves empty.
    void take(int headerSize, const BatchColumns &columns, const InputValues &commandLine)
    {
        passThrough.clear();
        for (const int column : columns.passThrough)
            passThrough.push_back(column < record.size() ? record.field(column)
                                                         : std::string_view());
        problem = record.error;
        calculated = false;
        if (!problem && record.size() != headerSize)
            problem = QStringLiteral("%1 fields where the header has %2")
                              .arg(record.size())
                              .arg(headerSize);
        if (problem)
            return;
        // An empty cell gives nothing, like a missing column: the command
        // line's value counts.
        for (int index = 0; index < columns.ofInput.size(); ++index) {
            const int column = columns.ofInput.at(index);
            const std::string_view cell = column >= 0 ? record.field(column) : std::string_view();
            if (cell.empty())
                values.fieldAt(index) = commandLine.fieldAt(index);
            else
                values.fieldAt(index) = {cell};
            values.setFromRow(index, !cell.empty());
        }
        values.m_line = record.line;
    }

    Record record;
    FieldList passThrough;
    InputValues values;
    Results results;
    std::optional<QString> problem; // why it cannot be calculated, or why it was not
    bool calculated = false;
};

namespace {

// Calculates the first count records, on as many threads as jobs. After a
// signal, no thread starts on another record but the first, which a run of
// one record at a time would also calculate; those not begun are left so.
void calculateAll(Calculation &calculation, std::vector<BatchRecord> &pending, std::size_t count,
                  int jobs)
{
    std::atomic<std::size_t> taken{0};
    const auto work = [&] {
        for (std::size_t slot = taken++; slot < count; slot = taken++) {
            if (slot > 0 && Interruption::came())
                return;
            BatchRecord &record = pending[slot];
            if (!record.problem) {
                record.results.clear();
                record.problem = calculation.calculate(slot, record.values, record.results);
            }
            record.calculated = true;
        }
    };
    std::vector<std::thread> threads;
    for (int thread = 1; thread < jobs && static_cast<std::size_t>(thread) < count; ++thread)
        threads.emplace_back(work);
    work();
    for (std::thread &thread : threads)
        thread.join();
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
    const int jobs = std::max(1, calculation.jobs());
    // Records calculated at once: many for each thread, few enough that a
    // record's answer waits little for the others'.
    const std::size_t chunk = jobs > 1 ? 32 * static_cast<std::size_t>(jobs) : 1;
    calculation.setSlots(chunk);
    sink->begin();
    Interruption interruption;
    ExitStatus status = ExitStatus::success;
    const int inputCount = command.inputs.specs().size();
    std::vector<BatchRecord> pending(chunk, BatchRecord(inputCount, calculation.results()));
    std::size_t filled = 0;
    PictureNames pictureNames;
    const bool publishes = calculation.publishes();
    std::optional<qint64> cutShortAt;
    // Set by answering: the run ends now with this status, or a signal
    // stopped it.
    std::optional<ExitStatus> ended;
    bool stopped = false;

    // Each pending record calculated, on threads when there are several,
    // then answered in its order.
    const auto answerPending = [&] {
        const std::size_t count = filled;
        filled = 0;
        if (count == 0 || ended || stopped)
            return;
        calculateAll(calculation, pending, count, jobs);
        for (std::size_t slot = 0; slot < count; ++slot) {
            BatchRecord &record = pending[slot];
            if (!record.calculated) {
                stopped = true;
                return;
            }
            std::optional<QString> problem = std::move(record.problem);
            std::optional<PublishFailure> failure;
            if (!problem && publishes) {
                failure = calculation.publish(
                        slot, pictureNames.next(record.passThrough, record.record.line));
                if (failure && failure->reach == PublishFailure::recordOnly)
                    problem = failure->message;
            }
            const RecordAnswer answer{record.passThrough, record.record.line};
            if (!problem)
                problem = calculation.write(slot, *sink, record.results, answer);
            if (problem) {
                calculation.writeError(
                        *sink, QStringLiteral("line %1: %2").arg(record.record.line).arg(*problem),
                        answer, streams);
                status = ExitStatus::badInput;
            } else if (failure) {
                sink->finish();
                sink->flush();
                ended = messages.failedWrite(streams, failure->message);
                return;
            }
            if (sink->failed()) {
                ended = messages.outputFailure(streams, streams.output.errorString());
                return;
            }
            if (Interruption::came()) {
                stopped = true;
                return;
            }
        }
    };
    // Rows that have arrived are answered before the reader waits for more.
    reader.beforeWait([&] {
        answerPending();
        if (!answersAtEnd)
            sink->flush();
    });
    Record next;
    while (!ended && !stopped && reader.readRecord(next)) {
        // The input's end may come with the signal that ended its writer,
        // so a last record without its line end may be a fragment.
        if (!next.lineEnded && Interruption::came()) {
            cutShortAt = next.line;
            break;
        }
        BatchRecord &record = pending[filled];
        std::swap(record.record, next);
        record.take(header.size(), columns, commandLine);
        // After a signal, what was read is answered as far as it was worked out.
        if (++filled == chunk || Interruption::came())
            answerPending();
    }
    answerPending();
    reader.beforeWait({});
    if (ended)
        return *ended;
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
