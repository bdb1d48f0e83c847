#pragma once

// framework/: what every command shares: the Command base and its plan
// (here), the batch run, the help layout, field parsing and its messages,
// pairs such as 1920x1080, and two ways of giving one thing.

#include "fieldtext.h"
#include "inputs.h"
#include "results.h"

#include <QCommandLineOption>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <utility>
#include <variant>
#include <vector>

#include "outputformats.h"

class RecordSource;
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

// A subcommand of kavrelo-cli. It declares its inputs and results and makes a
// calculation from what the command line and a batch's header give; this
// base reads the command line or the batch and writes the results in the
// chosen format.
class Command
{
public:
    virtual ~Command();

    const QString &name() const { return m_name; }
    const QString &summary() const { return m_summary; }
    // "kavrelo-cli fov: ", before each of the command's messages.
    QString messagePrefix() const;
    // Every option, in the order the help lists them.
    QList<QCommandLineOption> options() const;
    QString helpText() const;

    // The arguments after the command's name.
    ExitStatus execute(const QStringList &arguments, const Streams &streams) const;

protected:
    Command(QString name, QString summary, QString details);

    InputId addInput(InputSpec input) { return m_inputs.add(std::move(input)); }
    ResultId addResult(ResultSpec result) { return m_results.add(std::move(result)); }
    // The formats --format offers, the default first; the record formats
    // unless a command writes its own.
    void setFormats(std::vector<OutputFormat> formats);
    const ResultTable &resultTable() const { return m_results; }
    // Names the output gives fields of its own beside the results, which a
    // batch's column may not take.
    virtual QStringList ownFieldNames() const { return {}; }
    // A sink that writes each record's results in a record format.
    static std::unique_ptr<RecordSink> recordSink(const ResultTable &results,
                                                  const OutputFormat &format,
                                                  const QStringList &passThroughNames,
                                                  const Streams &streams);

    // One run's calculation: the command with what prepare() made of the
    // command line and the batch's columns, which the base calls for each
    // set of values without knowing the command's types.
    class Calculation
    {
    public:
        virtual ~Calculation();
        // The message for the first unusable input, or nothing after filling
        // in the results.
        virtual std::optional<QString> calculate(const InputValues &values, Results &results) = 0;
        // Whether publish() writes anything beside the results, such as a
        // picture; recordName is empty outside a batch.
        virtual bool publishes() const = 0;
        // Why publish() cannot write where it was asked to, checked before
        // anything is computed.
        virtual std::optional<QString> refusesOutput() const = 0;
        // The files it writes beside the records, which must not be the
        // batch it reads.
        virtual QStringList outputFiles() const = 0;
        // Publishes what the last calculation made.
        virtual std::optional<PublishFailure> publish(const QString &recordName) const = 0;
        // The results of this run, in their order.
        virtual const ResultTable &results() const = 0;
        // Where the run's records go, in the format chosen; made once.
        virtual std::unique_ptr<RecordSink> makeSink(const OutputFormat &format,
                                                     const QStringList &passThroughNames,
                                                     const Streams &streams)
                = 0;
        // Writes a record whose calculation worked, or says why it is a
        // record in error after all; then writes its error.
        virtual std::optional<QString> write(RecordSink &sink, const Results &results,
                                             const RecordAnswer &answer)
                = 0;
        virtual void writeError(RecordSink &sink, const QString &message,
                                const RecordAnswer &answer, const Streams &streams)
                = 0;
        // After the last record, before the sink finishes.
        virtual RunEnd endRun(RecordSink &sink, const Streams &streams) = 0;
    };

    // The message for a result that is not a finite number, naming the
    // inputs given, if there is one; infinity is the answer of the results
    // listed (a far edge at the horizon).
    std::optional<QString> nonFiniteResult(const Results &results, const InputValues &values,
                                           const std::vector<ResultId> &infinite = {}) const;

    // Called once, after the required inputs were found given.
    virtual std::variant<UsageError, std::unique_ptr<Calculation>>
    makeCalculation(const GivenInputs &given) const = 0;

private:
    ExitStatus runOnce(const Streams &streams, Calculation &calculation, const InputValues &values,
                       const OutputFormat &format) const;
    ExitStatus runBatch(const Streams &streams, const QString &path, const InputValues &commandLine,
                        const OutputFormat &format) const;
    // descriptor: where the batch is open, or -1 when it is not a file.
    ExitStatus readBatch(const Streams &streams, RecordSource &reader, const QString &sourceName,
                         int descriptor, const InputValues &commandLine,
                         const OutputFormat &format) const;
    // header is the batch's, or null outside a batch.
    std::variant<UsageError, std::unique_ptr<Calculation>>
    prepareCalculation(const InputValues &commandLine, const QVector<int> &columnOfInput,
                       const QStringList *header) const;
    struct BatchColumns;
    std::variant<UsageError, BatchColumns> readHeader(const QStringList &header,
                                                      const QString &sourceName) const;
    ExitStatus reportUsage(const Streams &streams, const QString &message) const;
    // The status of a run whose end failed, after its message; nothing when
    // the end went well.
    std::optional<ExitStatus> endedBadly(const Streams &streams, const RunEnd &end) const;
    ExitStatus reportOutputFailure(const Streams &streams, const QString &reason) const;
    // "kavrelo-cli fov: message" and the exit status of output not written.
    ExitStatus reportFailedWrite(const Streams &streams, const QString &message) const;
    // "kavrelo-cli fov: message"
    void printMessage(const Streams &streams, const QString &message) const;

    QString m_name;
    QString m_summary;
    QString m_details;
    InputTable m_inputs;
    ResultTable m_results;
    std::vector<OutputFormat> m_formats;
};

// What a command's calculation makes beside its results when it publishes
// nothing.
struct NoProduct
{
};

// What a command that keeps nothing across its records keeps.
struct NoRun
{
};

// A command in its own types: prepare() turns what is given into a Plan,
// once (the constants of a batch, which way the camera is given);
// calculate() receives that plan with each set of values and fills in the
// results, and may leave a Product (mount's survey) that publish() then
// draws and write() then writes, so nothing is computed twice. A command
// that answers for the whole run collects its records in a Run, through
// write(), and answers in endRun().
template <typename Plan, typename Product = NoProduct, typename Run = NoRun>
class PlannedCommand : public Command
{
protected:
    using Command::Command;

    virtual std::variant<UsageError, Plan> prepare(const GivenInputs &given) const = 0;
    virtual std::optional<QString> calculate(const Plan &plan, const InputValues &values,
                                             Results &results, Product &product) const = 0;
    virtual bool publishes(const Plan & /*plan*/) const { return false; }
    virtual std::optional<QString> refusesOutput(const Plan & /*plan*/) const
    {
        return std::nullopt;
    }
    virtual QStringList outputFiles(const Plan & /*plan*/) const { return {}; }
    virtual std::optional<PublishFailure> publish(const Plan & /*plan*/,
                                                  const Product & /*product*/,
                                                  const QString & /*recordName*/) const
    {
        return std::nullopt;
    }
    // The results of a run: those declared, unless the plan has its own,
    // such as levels of the user's.
    virtual const ResultTable &results(const Plan & /*plan*/) const { return resultTable(); }
    virtual std::unique_ptr<RecordSink> makeSink(const Plan &plan, Run & /*run*/,
                                                 const OutputFormat &format,
                                                 const QStringList &passThroughNames,
                                                 const Streams &streams) const
    {
        return recordSink(results(plan), format, passThroughNames, streams);
    }
    // A record's results into the sink, unless the command writes or keeps
    // more of it (the product is the calculation's, to be taken); why it is
    // a record in error after all, if it is.
    virtual std::optional<QString> write(const Plan & /*plan*/, Run & /*run*/,
                                         Product && /*product*/, RecordSink &sink,
                                         const Results &results, const RecordAnswer &answer) const
    {
        sink.record(answer.passThrough, results);
        return std::nullopt;
    }
    virtual void writeError(const Plan & /*plan*/, Run & /*run*/, RecordSink &sink,
                            const QString &message, const RecordAnswer &answer,
                            const Streams & /*streams*/) const
    {
        sink.error(answer.passThrough, message);
    }
    virtual RunEnd endRun(const Plan & /*plan*/, Run && /*run*/, RecordSink & /*sink*/,
                          const Streams & /*streams*/) const
    {
        return {};
    }

private:
    class Bound final : public Calculation
    {
    public:
        Bound(const PlannedCommand &command, Plan plan)
            : m_command(command), m_plan(std::move(plan))
        {
        }
        std::optional<QString> calculate(const InputValues &values, Results &results) override
        {
            return m_command.calculate(m_plan, values, results, m_product);
        }
        bool publishes() const override { return m_command.publishes(m_plan); }
        std::optional<QString> refusesOutput() const override
        {
            return m_command.refusesOutput(m_plan);
        }
        QStringList outputFiles() const override { return m_command.outputFiles(m_plan); }
        std::optional<PublishFailure> publish(const QString &recordName) const override
        {
            return m_command.publish(m_plan, m_product, recordName);
        }
        const ResultTable &results() const override { return m_command.results(m_plan); }
        std::unique_ptr<RecordSink> makeSink(const OutputFormat &format,
                                             const QStringList &passThroughNames,
                                             const Streams &streams) override
        {
            return m_command.makeSink(m_plan, m_run, format, passThroughNames, streams);
        }
        std::optional<QString> write(RecordSink &sink, const Results &results,
                                     const RecordAnswer &answer) override
        {
            return m_command.write(m_plan, m_run, std::move(m_product), sink, results, answer);
        }
        void writeError(RecordSink &sink, const QString &message, const RecordAnswer &answer,
                        const Streams &streams) override
        {
            m_command.writeError(m_plan, m_run, sink, message, answer, streams);
        }
        RunEnd endRun(RecordSink &sink, const Streams &streams) override
        {
            return m_command.endRun(m_plan, std::move(m_run), sink, streams);
        }

    private:
        const PlannedCommand &m_command;
        Plan m_plan;
        Product m_product{};
        Run m_run{};
    };

    std::variant<UsageError, std::unique_ptr<Calculation>>
    makeCalculation(const GivenInputs &given) const final
    {
        auto plan = prepare(given);
        if (auto *error = std::get_if<UsageError>(&plan))
            return *error;
        return std::unique_ptr<Calculation>(
                std::make_unique<Bound>(*this, std::move(std::get<Plan>(plan))));
    }
};

// The plan of a command that needs none.
struct NoPlan
{
};
