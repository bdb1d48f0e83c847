#include "command.h"

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

// Qt reads -resolution as the short options r, e, s, ...; whoever typed it
// meant --resolution, or an option that does not exist.
std::optional<QString> singleDashWord(const QStringList &arguments,
                                      const QList<QCommandLineOption> &options)
{
    const auto find = [&](const QString &name) {
        return std::find_if(options.cbegin(), options.cend(),
                            [&](const QCommandLineOption &o) { return o.names().contains(name); });
    };
    for (int index = 0; index < arguments.size(); ++index) {
        const QString &argument = arguments.at(index);
        if (argument == QLatin1String("--"))
            break;
        const QString name = argument.section(QLatin1Char('='), 0, 0);
        if (argument.startsWith(QLatin1String("--"))) {
            const auto option = find(name.mid(2));
            if (option != options.cend() && !option->valueName().isEmpty()
                && !argument.contains(QLatin1Char('=')))
                ++index; // its value, which may well start with a dash
            continue;
        }
        if (argument.size() > 2 && argument.startsWith(QLatin1Char('-'))) {
            if (find(name.mid(1)) != options.cend())
                return QStringLiteral("unknown option '%1'; did you mean '-%1'?").arg(argument);
            return QStringLiteral("unknown option '%1'").arg(argument);
        }
    }
    return std::nullopt;
}

// The edit distance between two names, for suggesting what was meant.
int editDistance(const QString &from, const QString &to)
{
    std::vector<int> previous(static_cast<std::size_t>(to.size()) + 1);
    std::vector<int> current(previous.size());
    for (std::size_t j = 0; j < previous.size(); ++j)
        previous[j] = static_cast<int>(j);
    for (int i = 1; i <= from.size(); ++i) {
        current[0] = i;
        for (int j = 1; j <= to.size(); ++j) {
            const auto at = static_cast<std::size_t>(j);
            const int substitution = previous[at - 1] + (from.at(i - 1) == to.at(j - 1) ? 0 : 1);
            current[at] = std::min({previous[at] + 1, current[at - 1] + 1, substitution});
        }
        std::swap(previous, current);
    }
    return previous.back();
}

// The option someone who typed name most likely meant: the only one it
// begins, or else the closest within a third of its letters.
std::optional<QString> nearestOption(const QString &name, const QList<QCommandLineOption> &options)
{
    QStringList longNames;
    for (const QCommandLineOption &option : options) {
        for (const QString &known : option.names()) {
            if (known.size() > 1)
                longNames << known;
        }
    }
    const QStringList begun = longNames.filter(
            QRegularExpression(QStringLiteral("^") + QRegularExpression::escape(name)));
    if (begun.size() == 1)
        return begun.first();
    std::optional<QString> nearest;
    int nearestDistance = std::max(1, static_cast<int>(name.size()) / 3) + 1;
    for (const QString &known : longNames) {
        const int distance = editDistance(name, known);
        if (distance < nearestDistance) {
            nearest = known;
            nearestDistance = distance;
        }
    }
    return nearest;
}

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
Command::Calculation::~Calculation() = default;

QList<QCommandLineOption> Command::options() const
{
    QList<QCommandLineOption> options;
    for (const InputSpec &input : m_inputs.specs())
        options << QCommandLineOption(input.name, input.description, input.valueName);
    return options << formatOption(m_formats) << batchOption << helpOption;
}

void Command::printMessage(const Streams &streams, const QString &message) const
{
    printLine(streams, messagePrefix() + message);
}

QString Command::messagePrefix() const
{
    return QStringLiteral("%1 %2: ").arg(QLatin1String(programName), m_name);
}

ExitStatus Command::reportUsage(const Streams &streams, const QString &message) const
{
    printMessage(streams, message);
    printLine(streams,
              QStringLiteral("Try '%1 %2 --help' for more information.")
                      .arg(QLatin1String(programName), m_name));
    return ExitStatus::usage;
}

ExitStatus Command::reportOutputFailure(const Streams &streams, const QString &reason) const
{
    return reportFailedWrite(streams, QStringLiteral("cannot write the output: %1").arg(reason));
}

ExitStatus Command::reportFailedWrite(const Streams &streams, const QString &message) const
{
    printMessage(streams, message);
    return ExitStatus::outputFailed;
}

ExitStatus Command::execute(const QStringList &arguments, const Streams &streams) const
{
    const QList<QCommandLineOption> allOptions = options();
    if (const auto problem = singleDashWord(arguments, allOptions))
        return reportUsage(streams, *problem);
    QCommandLineParser parser;
    parser.addOptions(allOptions);
    if (!parser.parse(QStringList(QLatin1String(programName)) + arguments)) {
        if (!parser.unknownOptionNames().isEmpty()) {
            const QString name = parser.unknownOptionNames().first();
            QString problem = QStringLiteral("unknown option '%1'").arg(dashed(name));
            if (const auto meant = name.size() > 1 ? nearestOption(name, allOptions) : std::nullopt)
                problem += QStringLiteral("; did you mean '%1'?").arg(dashed(*meant));
            return reportUsage(streams, problem);
        }
        // Qt's "Missing value after '--x'." in the form of our other messages.
        QString problem = parser.errorText();
        problem[0] = problem.at(0).toLower();
        return reportUsage(streams,
                           problem.endsWith(QLatin1Char('.')) ? problem.chopped(1) : problem);
    }
    if (parser.isSet(helpOption)) {
        const QByteArray help = helpText().toUtf8();
        if (!streams.output.write(help.constData(), help.size()))
            return reportOutputFailure(streams, streams.output.errorString());
        return ExitStatus::success;
    }
    if (!parser.positionalArguments().isEmpty())
        return reportUsage(streams,
                           QStringLiteral("unexpected argument '%1'")
                                   .arg(parser.positionalArguments().first()));
    const QString formatName = parser.value(QStringLiteral("format"));
    const auto chosen
            = std::find_if(m_formats.cbegin(), m_formats.cend(), [&](const OutputFormat &known) {
                  return formatName == QLatin1String(known.name);
              });
    if (chosen == m_formats.cend())
        return reportUsage(streams,
                           QStringLiteral("unknown format '%1': use %2")
                                   .arg(formatName, formatList(m_formats, false)));

    const QVector<InputSpec> &inputs = m_inputs.specs();
    // Every calculation's inputs may view these, so they stay where they are.
    std::vector<std::string> commandLineBytes(static_cast<std::size_t>(inputs.size()));
    InputValues commandLine(inputs.size());
    for (int index = 0; index < inputs.size(); ++index) {
        const QString &name = inputs.at(index).name;
        const QString given = inputs.at(index).repeatable
                ? parser.values(name).join(QLatin1Char(','))
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
    if (parser.isSet(batchOption))
        return runBatch(streams, parser.value(batchOption), commandLine, *chosen);

    auto calculation = prepareCalculation(commandLine, QVector<int>(inputs.size(), -1), nullptr);
    if (const auto *error = std::get_if<UsageError>(&calculation))
        return reportUsage(streams, error->message);
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

std::variant<UsageError, std::unique_ptr<Command::Calculation>>
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
        return reportFailedWrite(streams, *refusal);
    Results results(calculation.results());
    if (const auto problem = calculation.calculate(values, results)) {
        printMessage(streams, *problem);
        return ExitStatus::badInput;
    }
    const auto sink = calculation.makeSink(format, {}, streams);
    sink->begin();
    const FieldList noFields;
    const RecordAnswer answer{noFields, 0};
    if (const auto problem = calculation.write(*sink, results, answer)) {
        printMessage(streams, *problem);
        return ExitStatus::badInput;
    }
    const RunEnd end = calculation.endRun(*sink, streams);
    sink->finish();
    if (!sink->flush())
        return reportOutputFailure(streams, streams.output.errorString());
    if (const auto failure = endedBadly(streams, end))
        return *failure;
    if (const auto failure
        = calculation.publishes() ? calculation.publish(QString()) : std::nullopt)
        return reportFailedWrite(streams, failure->message);
    return end.status;
}

std::optional<ExitStatus> Command::endedBadly(const Streams &streams, const RunEnd &end) const
{
    if (end.status != ExitStatus::notWorkedOut && end.status != ExitStatus::outputFailed)
        return std::nullopt;
    printMessage(streams, end.message.value_or(QString()));
    return end.status;
}
