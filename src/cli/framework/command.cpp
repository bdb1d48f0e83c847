#include "command.h"

#include "batchrun.h"
#include "optionspelling.h"

#include "fieldmessages.h"
#include "fieldparser.h"
#include "fieldtext.h"
#include "helplayout.h"
#include "outputformats.h"
#include "pairs.h"
#include "programname.h"
#include "streams.h"

#include <QCommandLineParser>
#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

// "text, csv or json", each name with its note if asked
QString formatList(const std::vector<OutputFormat> &formats, bool withNotes)
{
    QStringList names;
    for (const OutputFormat &format : formats) {
        const bool noted = withNotes && format.note;
        names << QLatin1String(format.name)
                        + (noted ? QStringLiteral(" (%1)").arg(QLatin1String(format.note))
                                 : QString());
    }
    return choices(names);
}

QCommandLineOption formatOption(const std::vector<OutputFormat> &formats)
{
    QStringList names;
    for (const OutputFormat &format : formats)
        names << QLatin1String(format.name);
    return QCommandLineOption(QStringLiteral("format"),
                              formatList(formats, true) + QLatin1Char('.'),
                              names.join(QLatin1Char('|')), names.first());
}
const QCommandLineOption
        batchOption(QStringLiteral("batch"),
                    QStringLiteral("Calculate each record of a CSV file (- for standard input)."),
                    QStringLiteral("FILE"));
const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")},
                                    QStringLiteral("Show this help and exit."));

// A header's names as a reader can check them: joined by commas, characters
// that show nothing written out, and cut short.
QString shownHeader(const QStringList &header)
{
    constexpr int shownLength = 40;
    QString shown;
    for (const QChar c : header.join(QLatin1Char(','))) {
        if (c.isPrint())
            shown += c;
        else
            shown += QStringLiteral("<U+%1>").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
    }
    return shown.size() > shownLength ? shown.left(shownLength - 1) + QChar(0x2026) : shown;
}

} // namespace

Command::Command(QString name, QString summary, QString details)
    : m_name(std::move(name))
    , m_messages(m_name)
    , m_summary(std::move(summary))
    , m_details(std::move(details))
    , m_formats(outputFormats.begin(), outputFormats.end())
{
}

void Command::setFormats(std::vector<OutputFormat> formats)
{
    m_formats = std::move(formats);
}

Command::~Command() = default;

QList<QCommandLineOption> Command::options() const
{
    QList<QCommandLineOption> options;
    for (const InputSpec &input : m_inputs.specs())
        options << QCommandLineOption(input.name, input.description, input.valueName);
    return options << formatOption(m_formats) << batchOption << helpOption;
}

ExitStatus Command::execute(const QStringList &arguments, const Streams &streams) const
{
    const QList<QCommandLineOption> allOptions = options();
    if (const auto problem = singleDashWord(arguments, allOptions))
        return m_messages.usage(streams, *problem);
    QCommandLineParser parser;
    parser.addOptions(allOptions);
    if (!parser.parse(QStringList(QLatin1String(programName)) + arguments)) {
        if (!parser.unknownOptionNames().isEmpty()) {
            const QString name = parser.unknownOptionNames().first();
            QString problem = QStringLiteral("unknown option '%1'").arg(dashed(name));
            if (const auto meant = name.size() > 1 ? nearestOption(name, allOptions) : std::nullopt)
                problem += QStringLiteral("; did you mean '%1'?").arg(dashed(*meant));
            return m_messages.usage(streams, problem);
        }
        // Qt's "Missing value after '--x'." in the form of our other messages.
        QString problem = parser.errorText();
        problem[0] = problem.at(0).toLower();
        return m_messages.usage(streams,
                                problem.endsWith(QLatin1Char('.')) ? problem.chopped(1) : problem);
    }
    if (parser.isSet(helpOption)) {
        const QByteArray help = helpText().toUtf8();
        if (!streams.output.write(help.constData(), help.size()))
            return m_messages.outputFailure(streams, streams.output.errorString());
        return ExitStatus::success;
    }
    if (!parser.positionalArguments().isEmpty())
        return m_messages.usage(streams,
                                QStringLiteral("unexpected argument '%1'")
                                        .arg(parser.positionalArguments().first()));
    const QString formatName = parser.value(QStringLiteral("format"));
    const auto chosen
            = std::find_if(m_formats.cbegin(), m_formats.cend(), [&](const OutputFormat &known) {
                  return formatName == QLatin1String(known.name);
              });
    if (chosen == m_formats.cend())
        return m_messages.usage(streams,
                                QStringLiteral("unknown format '%1': use %2")
                                        .arg(formatName, formatList(m_formats, false)));

    const QVector<InputSpec> &inputs = m_inputs.specs();
    // Every calculation's inputs may view these, so they stay where they are.
    std::vector<std::string> commandLineBytes(static_cast<std::size_t>(inputs.size()));
    InputValues commandLine(inputs.size());
    for (int index = 0; index < inputs.size(); ++index) {
        const QString &name = inputs.at(index).name;
        const QString given = inputs.at(index).repeatable
                ? parser.values(name).join(inputs.at(index).joinedBy)
                : parser.value(name);
        const auto value = parser.isSet(name) ? std::optional<QString>(given)
                                              : inputs.at(index).defaultValue;
        if (value) {
            std::string &bytes = commandLineBytes[static_cast<std::size_t>(index)];
            bytes = value->toStdString();
            // The same on every row of a batch, so read once.
            commandLine.fieldAt(index) = {bytes, toDoubleLikeQt(bytes), pairLikeQt(bytes)};
        }
    }
    if (parser.isSet(batchOption)) {
        const BatchCommand batch{m_inputs,
                                 m_results,
                                 ownFieldNames(),
                                 m_messages,
                                 [this](const InputValues &values, const QVector<int> &columns,
                                        const QStringList &header) {
                                     return prepareCalculation(values, columns, &header);
                                 },
                                 [this](const QString &path, const InputValues &values) {
                                     return otherBatch(path, values);
                                 }};
        return BatchRun::run(batch, streams, parser.value(batchOption), commandLine, *chosen);
    }

    auto calculation = prepareCalculation(commandLine, QVector<int>(inputs.size(), -1), nullptr);
    if (const auto *error = std::get_if<UsageError>(&calculation))
        return m_messages.usage(streams, error->message);
    return runOnce(streams, *std::get<1>(calculation), commandLine, *chosen);
}

std::unique_ptr<RecordSink> Command::recordSink(const ResultTable &results,
                                                const OutputFormat &format,
                                                const QStringList &passThroughNames,
                                                const Streams &streams)
{
    return format.make(results, passThroughNames, streams.output);
}

std::optional<QString> Command::nonFiniteResult(const Results &results, const InputValues &values,
                                                const std::vector<ResultId> &infinite) const
{
    const auto label = results.firstNonFinite(infinite);
    if (!label)
        return std::nullopt;
    QStringList given;
    for (int index = 0; index < m_inputs.specs().size(); ++index) {
        if (const auto &value = values.at(index))
            given << QStringLiteral("%1 %2").arg(m_inputs.specs().at(index).name,
                                                 fieldText(*value));
    }
    return QStringLiteral("%1 is not a finite number for %2")
            .arg(*label, given.join(QStringLiteral(", ")));
}

std::variant<UsageError, std::unique_ptr<Calculation>>
Command::prepareCalculation(const InputValues &commandLine, const QVector<int> &columnOfInput,
                            const QStringList *header) const
{
    const bool columnsFeed = std::any_of(columnOfInput.cbegin(), columnOfInput.cend(),
                                         [](int column) { return column >= 0; });
    for (int index = 0; index < m_inputs.specs().size(); ++index) {
        if (m_inputs.specs().at(index).need == Need::optional || commandLine.at(index)
            || columnOfInput.at(index) >= 0)
            continue;
        const QString &name = m_inputs.specs().at(index).name;
        // A header that feeds nothing was most likely split otherwise, or
        // begins with a second byte order mark: show what was read.
        if (header && !columnsFeed)
            return UsageError{
                    QStringLiteral("the batch has no column for --%1; its header has %2, \"%3\"")
                            .arg(name,
                                 header->size() == 1
                                         ? QStringLiteral("one column")
                                         : QStringLiteral("%1 columns").arg(header->size()),
                                 shownHeader(*header))};
        return UsageError{QStringLiteral("--%1 is required").arg(name)};
    }
    return makeCalculation(GivenInputs{commandLine, columnOfInput, header != nullptr});
}

QString Command::helpText() const
{
    QVector<std::pair<QString, QString>> rows;
    for (const QCommandLineOption &option : options()) {
        QStringList spelled;
        for (const QString &name : option.names())
            spelled << dashed(name);
        const QString value = option.valueName().isEmpty()
                ? QString()
                : QStringLiteral(" <%1>").arg(option.valueName());
        rows.append({spelled.join(QStringLiteral(", ")) + value, option.description()});
    }
    return QStringLiteral("Usage: %1 %2 [options]\n%3\n\n%4\n\nOptions:\n")
                   .arg(QLatin1String(programName), m_name, m_summary, m_details)
            + helpRows(rows);
}

ExitStatus Command::runOnce(const Streams &streams, Calculation &calculation,
                            const InputValues &values, const OutputFormat &format) const
{
    if (const auto refusal = calculation.refusesOutput())
        return m_messages.failedWrite(streams, *refusal);
    m_messages.warn(streams, calculation.warnings());
    Results results(calculation.results());
    if (const auto problem = calculation.calculate(0, values, results)) {
        m_messages.print(streams, *problem);
        // A document that wraps its records is still one, with none in it.
        const auto sink = calculation.makeSink(format, {}, streams);
        if (sink->wrapsRecords()) {
            sink->begin();
            sink->finish();
            if (!sink->flush())
                return m_messages.outputFailure(streams, streams.output.errorString());
        }
        return ExitStatus::badInput;
    }
    const auto sink = calculation.makeSink(format, {}, streams);
    sink->begin();
    const FieldList noFields;
    const RecordAnswer answer{noFields, 0};
    if (const auto problem = calculation.write(0, *sink, results, answer)) {
        m_messages.print(streams, *problem);
        return ExitStatus::badInput;
    }
    const RunEnd end = calculation.endRun(*sink, streams);
    sink->finish();
    if (!sink->flush())
        return m_messages.outputFailure(streams, streams.output.errorString());
    if (const auto failure = m_messages.endedBadly(streams, end))
        return *failure;
    if (const auto failure
        = calculation.publishes() ? calculation.publish(0, QString()) : std::nullopt)
        return m_messages.failedWrite(streams, failure->message);
    return end.status;
}
