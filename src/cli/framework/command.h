#pragma once

// framework/: what every command shares: the Command base (here), a
// command in its own types (plannedcommand.h), the calculation a run calls
// and the exit statuses (calculation.h), the batch run, messages, the help
// layout, field parsing and its messages, pairs such as 1920x1080, two
// ways of giving one thing, the names of a batch's pictures, and the files
// a run reads, which it never writes over.

#include "calculation.h"
#include "messages.h"
#include "recordsource.h"

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

struct Streams;

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
    const QString &messagePrefix() const { return m_messages.prefix(); }
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
    // A batch that is not CSV, as this command reads it (a layer of points
    // for the site commands), knowing the command line's values: nothing for
    // CSV, else the records or why not.
    virtual std::optional<std::variant<QString, std::unique_ptr<RecordSource>>>
    otherBatch(const QString & /*path*/, const InputValues & /*commandLine*/) const
    {
        return std::nullopt;
    }
    // A sink that writes each record's results in a record format.
    static std::unique_ptr<RecordSink> recordSink(const ResultTable &results,
                                                  const OutputFormat &format,
                                                  const QStringList &passThroughNames,
                                                  const Streams &streams);

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
    // header is the batch's, or null outside a batch.
    std::variant<UsageError, std::unique_ptr<Calculation>>
    prepareCalculation(const InputValues &commandLine, const QVector<int> &columnOfInput,
                       const QStringList *header) const;

    QString m_name;
    Messages m_messages;
    QString m_summary;
    QString m_details;
    InputTable m_inputs;
    ResultTable m_results;
    std::vector<OutputFormat> m_formats;
};
