#pragma once

#include "fieldtext.h"
#include "inputs.h"
#include "results.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class RecordSink;
struct OutputFormat;
struct Streams;

// What kavrelo-cli's exit status tells a script.
enum class ExitStatus {
    success = 0, // every calculation worked
    badInput = 1, // some input was unusable; every other calculation was made
    usage = 2, // the command line or a batch's header was wrong; nothing was computed
    outputFailed = 3, // the output could not be written; the run stopped there
    fallsShort = 4, // every input was usable, and the result fell short of what was required
    notWorkedOut = 5, // what the whole run answers (coverage, a drawing) could not be worked out
};

// Wrong use of the command line, which stops a run before it computes.
struct UsageError
{
    QString message;
};

// Why a record's picture or other output beside the results was not made:
// a problem of that record alone, which makes it a row in error, or a failed
// write, which ends the run.
struct PublishFailure
{
    enum Reach { endsRun, recordOnly };
    QString message;
    Reach reach = endsRun;
};

// One record as the run answers it: the batch's own fields beside the
// results, and its line (0 outside a batch).
struct RecordAnswer
{
    const FieldList &passThrough;
    qint64 line;
};

// How the end of a run went, for a command that answers for the whole run
// there: the status it ends with (success, fallsShort, notWorkedOut or
// outputFailed) and why, when it failed.
struct RunEnd
{
    ExitStatus status = ExitStatus::success;
    std::optional<QString> message;
};

// One run's calculation: a command with what it made of the command line
// and the batch's columns, which the run calls for each set of values
// without knowing the command's types. A run has a beginning (makeSink),
// records (calculate, publish, write), and an end (endRun).
class Calculation
{
public:
    virtual ~Calculation() = default;
    // How many records may be calculated at once, each on a thread of its
    // own: 1 unless the command's calculations share nothing that changes.
    virtual int jobs() const = 0;
    // Room for that many records calculated at once, each in a slot of its
    // own from 0; there is one slot until this is called.
    virtual void setSlots(std::size_t count) = 0;
    // The message for the first unusable input, or nothing after filling
    // in the results; what it makes beside them is kept in the slot. Calls
    // for different slots may run at once.
    virtual std::optional<QString> calculate(std::size_t slot, const InputValues &values,
                                             Results &results)
            = 0;
    // Whether publish() writes anything beside the results, such as a
    // picture; recordName is empty outside a batch.
    virtual bool publishes() const = 0;
    // Why publish() cannot write where it was asked to, checked before
    // anything is computed.
    virtual std::optional<QString> refusesOutput() const = 0;
    // The files it writes beside the records, which must not be the batch
    // it reads.
    virtual QStringList outputFiles() const = 0;
    // What the run should know of its inputs before it starts, such as a
    // part of a site left out; said once, and the run goes on.
    virtual QStringList warnings() const = 0;
    // Publishes what the slot's calculation made.
    virtual std::optional<PublishFailure> publish(std::size_t slot,
                                                  const QString &recordName) const = 0;
    // The results of this run, in their order.
    virtual const ResultTable &results() const = 0;
    // Where the run's records go, in the format chosen; made once.
    virtual std::unique_ptr<RecordSink> makeSink(const OutputFormat &format,
                                                 const QStringList &passThroughNames,
                                                 const Streams &streams)
            = 0;
    // Writes a record whose calculation worked, or says why it is a record
    // in error after all; then writes its error.
    virtual std::optional<QString> write(std::size_t slot, RecordSink &sink, const Results &results,
                                         const RecordAnswer &answer)
            = 0;
    virtual void writeError(RecordSink &sink, const QString &message, const RecordAnswer &answer,
                            const Streams &streams)
            = 0;
    // After the last record, before the sink finishes.
    virtual RunEnd endRun(RecordSink &sink, const Streams &streams) = 0;
    // Whether all of the run's answer comes at its end, from all its
    // records (coverage, report, a footprint into a GIS file), so that a
    // run cut short answers nothing; else its records are handed on as
    // they come.
    virtual bool answersAtEnd() const = 0;
};
