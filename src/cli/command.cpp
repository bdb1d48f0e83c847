#include "command.h"

#include "csvreader.h"
#include "fieldparser.h"
#include "fieldtext.h"
#include "interruption.h"
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

// The formats, which the option's value name, help and messages all list.
struct OutputFormatName
{
    const char *name;
    OutputFormat format;
    const char *note;
};

constexpr OutputFormatName outputFormats[]
        = {{"text", OutputFormat::text, "a table to read, the default"},
           {"csv", OutputFormat::csv, nullptr},
           {"json", OutputFormat::json, "JSON Lines"}};

// "text, csv or json", each name with its note if asked
QString formatList(bool withNotes)
{
    QStringList names;
    for (const OutputFormatName &format : outputFormats) {
        const bool noted = withNotes && format.note;
        names << QLatin1String(format.name)
                        + (noted ? QStringLiteral(" (%1)").arg(QLatin1String(format.note))
                                 : QString());
    }
    return choices(names);
}

constexpr int helpWidth = 79;

const QCommandLineOption formatOption = [] {
    QStringList names;
    for (const OutputFormatName &format : outputFormats)
        names << QLatin1String(format.name);
    return QCommandLineOption(QStringLiteral("format"), formatList(true) + QLatin1Char('.'),
                              names.join(QLatin1Char('|')), names.first());
}();
const QCommandLineOption
        batchOption(QStringLiteral("batch"),
                    QStringLiteral("Calculate each record of a CSV file (- for standard input)."),
                    QStringLiteral("FILE"));
const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")},
                                    QStringLiteral("Show this help and exit."));

QString dashed(const QString &name)
{
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

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

// Words joined into lines of at most width characters, the later ones
// indented to stand under the first.
QString wrapped(const QString &text, int width, int indent)
{
    QString lines;
    int lineLength = 0;
    for (const QString &word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (lineLength > 0 && lineLength + 1 + word.size() > width) {
            lines += QLatin1Char('\n') + QString(indent, QLatin1Char(' '));
            lineLength = 0;
        } else if (lineLength > 0) {
            lines += QLatin1Char(' ');
            ++lineLength;
        }
        lines += word;
        lineLength += word.size();
    }
    return lines;
}

// Names for what a batch writes beside its output, one file per record:
// the first pass-through field where there is one, made safe as a file name,
// else the line; the line is added to a name already taken.
class RecordNames
{
public:
    QString next(const FieldList &passThrough, qint64 line)
    {
        QString name = passThrough.empty() ? QString() : fieldText(passThrough.front());
        // Surrogates are no letters, so what stays is whole characters.
        int bytes = 0;
        int kept = 0;
        for (QChar &c : name) {
            if (!c.isLetterOrNumber() && c != QLatin1Char('-') && c != QLatin1Char('_'))
                c = QLatin1Char('_');
            bytes += c.unicode() < 0x80 ? 1 : c.unicode() < 0x800 ? 2 : 3;
            if (bytes > maximumBytes)
                break;
            ++kept;
        }
        name.truncate(kept);
        const QString lineName = QStringLiteral("line-%1").arg(line);
        if (name.isEmpty())
            name = lineName;
        if (m_taken.contains(name))
            name += QLatin1Char('-') + lineName;
        m_taken.insert(name);
        return name;
    }

private:
    // With "-line-" and a line number and an extension, still well within
    // the 255 bytes that file systems allow a name.
    static constexpr int maximumBytes = 200;
    QSet<QString> m_taken;
};

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

QString cannotRead(const QString &source, const QString &reason)
{
    return QStringLiteral("cannot read %1: %2").arg(source, reason);
}

} // namespace

Command::Command(QString name, QString summary, QString details)
    : m_name(std::move(name)), m_summary(std::move(summary)), m_details(std::move(details))
{
}

Command::~Command() = default;
Command::Calculation::~Calculation() = default;

QList<QCommandLineOption> Command::options() const
{
    QList<QCommandLineOption> options;
    for (const InputSpec &input : m_inputs.specs())
        options << QCommandLineOption(input.name, input.description, input.valueName);
    return options << formatOption << batchOption << helpOption;
}

void Command::printMessage(const Streams &streams, const QString &message) const
{
    printLine(streams,
              QStringLiteral("%1 %2: %3").arg(QLatin1String(programName), m_name, message));
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
    const QString formatName = parser.value(formatOption);
    const auto chosen = std::find_if(
            std::begin(outputFormats), std::end(outputFormats),
            [&](const OutputFormatName &known) { return formatName == QLatin1String(known.name); });
    if (chosen == std::end(outputFormats))
        return reportUsage(
                streams,
                QStringLiteral("unknown format '%1': use %2").arg(formatName, formatList(false)));

    const QVector<InputSpec> &inputs = m_inputs.specs();
    // Every calculation's inputs may view these, so they stay where they are.
    std::vector<std::string> commandLineBytes(static_cast<std::size_t>(inputs.size()));
    InputValues commandLine(inputs.size());
    for (int index = 0; index < inputs.size(); ++index) {
        const QString &name = inputs.at(index).name;
        const auto value = parser.isSet(name) ? std::optional<QString>(parser.value(name))
                                              : inputs.at(index).defaultValue;
        if (value) {
            std::string &bytes = commandLineBytes[static_cast<std::size_t>(index)];
            bytes = value->toStdString();
            commandLine.at(index) = bytes;
        }
    }
    if (parser.isSet(batchOption))
        return runBatch(streams, parser.value(batchOption), commandLine, chosen->format);

    auto calculation = prepareCalculation(commandLine, QVector<int>(inputs.size(), -1), nullptr);
    if (const auto *error = std::get_if<UsageError>(&calculation))
        return reportUsage(streams, error->message);
    return runOnce(streams, *std::get<1>(calculation), commandLine, chosen->format);
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

std::variant<UsageError, std::unique_ptr<const Command::Calculation>>
Command::prepareCalculation(const InputValues &commandLine, const QVector<int> &columnOfInput,
                            const QStringList *header) const
{
    const bool columnsFeed = std::any_of(columnOfInput.cbegin(), columnOfInput.cend(),
                                         [](int column) { return column >= 0; });
    for (int index = 0; index < m_inputs.specs().size(); ++index) {
        if (!m_inputs.specs().at(index).required || commandLine.at(index)
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

struct Command::BatchColumns
{
    QVector<int> ofInput; // the column that feeds each input, or -1
    QVector<int> passThrough;
    QStringList passThroughNames;
};

// Columns named after an input feed it; any other column passes through,
// under a name of its own.
std::variant<UsageError, Command::BatchColumns> Command::readHeader(const QStringList &header,
                                                                    const QString &sourceName) const
{
    const int inputCount = m_inputs.specs().size();
    BatchColumns columns{QVector<int>(inputCount, -1), {}, {}};
    QSet<QString> resultNames{QStringLiteral("error")};
    for (const ResultSpec &result : m_results.specs())
        resultNames << normalizedColumnName(result.key);
    QSet<QString> takenNames;
    for (int column = 0; column < header.size(); ++column) {
        const QString &name = header.at(column);
        if (const auto input = m_inputs.indexOfColumn(name)) {
            if (columns.ofInput.at(*input) >= 0)
                return UsageError{QStringLiteral("%1: two columns feed --%2")
                                          .arg(sourceName, m_inputs.specs().at(*input).name)};
            columns.ofInput[*input] = column;
            continue;
        }
        const QString normalized = normalizedColumnName(name);
        if (resultNames.contains(normalized))
            return UsageError{QStringLiteral("%1: the column \"%2\" has the name of a result")
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

ExitStatus Command::runOnce(const Streams &streams, const Calculation &calculation,
                            const InputValues &values, OutputFormat format) const
{
    if (const auto refusal = calculation.refusesOutput())
        return reportFailedWrite(streams, *refusal);
    Results results(m_results);
    if (const auto problem = calculation.calculate(values, results)) {
        printMessage(streams, *problem);
        return ExitStatus::badInput;
    }
    RecordWriter writer(format, m_results, {}, streams.output);
    writer.writeHeader();
    writer.write({}, results);
    if (!writer.flush())
        return reportOutputFailure(streams, streams.output.errorString());
    if (const auto failure
        = calculation.publishes() ? calculation.publish(values, QString()) : std::nullopt)
        return reportFailedWrite(streams, failure->message);
    return ExitStatus::success;
}

ExitStatus Command::runBatch(const Streams &streams, const QString &path,
                             const InputValues &commandLine, OutputFormat format) const
{
    if (path.isEmpty())
        return reportUsage(streams,
                           QStringLiteral("--batch needs a file name, or - for standard input"));
    if (path == QLatin1String("-"))
        return readBatch(streams, streams.input, QStringLiteral("standard input"), commandLine,
                         format);
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return reportUsage(streams, cannotRead(path, systemErrorText(errno)));
    FileDescriptorSource file(descriptor);
    const ExitStatus status = readBatch(streams, file, path, commandLine, format);
    ::close(descriptor);
    return status;
}

ExitStatus Command::readBatch(const Streams &streams, ByteSource &source, const QString &sourceName,
                              const InputValues &commandLine, OutputFormat format) const
{
    std::optional<RecordWriter> writer;
    // Rows that have arrived are answered before the reader waits for more.
    CsvReader reader(source, [&writer] {
        if (writer)
            writer->flush();
    });
    CsvRecord header;
    if (!reader.readRecord(header)) {
        if (const auto &problem = reader.readError())
            return reportUsage(streams, cannotRead(sourceName, *problem));
        return reportUsage(streams, QStringLiteral("%1 has no header line").arg(sourceName));
    }
    if (header.error)
        return reportUsage(streams,
                           QStringLiteral("%1, line %2: the header %3")
                                   .arg(sourceName)
                                   .arg(header.line)
                                   .arg(*header.error));

    auto read = readHeader(header.texts(), sourceName);
    if (const auto *error = std::get_if<UsageError>(&read))
        return reportUsage(streams, error->message);
    const BatchColumns &columns = std::get<BatchColumns>(read);
    const QStringList headerNames = header.texts();
    const auto prepared = prepareCalculation(commandLine, columns.ofInput, &headerNames);
    if (const auto *error = std::get_if<UsageError>(&prepared))
        return reportUsage(streams, error->message);
    const Calculation &calculation = *std::get<1>(prepared);
    if (const auto refusal = calculation.refusesOutput())
        return reportFailedWrite(streams, *refusal);

    writer.emplace(format, m_results, columns.passThroughNames, streams.output);
    writer->writeHeader();
    Interruption interruption;
    ExitStatus status = ExitStatus::success;
    CsvRecord record;
    const int inputCount = m_inputs.specs().size();
    InputValues values(inputCount);
    FieldList passThrough;
    Results results(m_results);
    RecordNames recordNames;
    const bool publishes = calculation.publishes();
    while (reader.readRecord(record)) {
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
                values.at(index) = cell.empty() ? commandLine.at(index) : cell;
                values.setFromRow(index, !cell.empty());
            }
            results.clear();
            problem = calculation.calculate(values, results);
        }
        std::optional<PublishFailure> failure;
        if (!problem && publishes) {
            failure = calculation.publish(values, recordNames.next(passThrough, record.line));
            if (failure && !failure->endsRun)
                problem = failure->message;
        }
        if (problem) {
            writer->writeError(passThrough,
                               QStringLiteral("line %1: %2").arg(record.line).arg(*problem));
            status = ExitStatus::badInput;
        } else {
            writer->write(passThrough, results);
            if (failure) {
                writer->flush();
                return reportFailedWrite(streams, failure->message);
            }
        }
        if (writer->failed())
            return reportOutputFailure(streams, streams.output.errorString());
        if (Interruption::pending() != 0)
            break;
    }
    const bool flushed = writer->flush();
    if (Interruption::pending() != 0) {
        if (const auto line = reader.cutShortAt())
            printMessage(streams,
                         QStringLiteral("%1, line %2: the record was cut short by a signal and "
                                        "not computed")
                                 .arg(sourceName)
                                 .arg(*line));
        interruption.endProgram();
    }
    if (!flushed)
        return reportOutputFailure(streams, streams.output.errorString());
    if (const auto &problem = reader.readError()) {
        printMessage(streams, cannotRead(sourceName, *problem));
        return ExitStatus::badInput;
    }
    return status;
}

namespace {

template <typename Test>
bool any(const std::vector<InputId> &inputs, Test test)
{
    return std::any_of(inputs.cbegin(), inputs.cend(), test);
}

// The one way that is given (true for the second), or what is wrong.
std::variant<QString, bool> oneWay(bool first, bool second, bool secondInFull,
                                   const Alternatives &ways)
{
    if (first && second)
        return ways.both;
    if (!first && !second)
        return ways.neither;
    if (second && !secondInFull)
        return ways.incomplete;
    return second;
}

} // namespace

std::variant<UsageError, Way> chooseWay(const GivenInputs &given, const Alternatives &ways)
{
    const auto fed = [&](InputId input) { return given.fedByColumn(input); };
    const auto onCommandLine = [&](InputId input) { return given.commandLine.given(input); };
    if (any(ways.first, fed) && any(ways.second, fed)) {
        if (any(ways.first, onCommandLine) && any(ways.second, onCommandLine))
            return UsageError{ways.both};
        return Way::eachRow;
    }
    const auto isGiven = [&](InputId input) { return given.given(input); };
    const auto chosen
            = oneWay(any(ways.first, isGiven), any(ways.second, isGiven),
                     std::all_of(ways.second.cbegin(), ways.second.cend(), isGiven), ways);
    if (const auto *problem = std::get_if<QString>(&chosen))
        return UsageError{*problem};
    return std::get<bool>(chosen) ? Way::second : Way::first;
}

std::variant<QString, bool> rowWay(const InputValues &values, const Alternatives &ways)
{
    const auto inRow = [&](InputId input) { return values.fromRow(input); };
    const auto isGiven = [&](InputId input) { return values.given(input); };
    const bool rowFirst = any(ways.first, inRow);
    const bool rowSecond = any(ways.second, inRow);
    const bool rowChose = rowFirst || rowSecond;
    return oneWay(rowChose ? rowFirst : any(ways.first, isGiven),
                  rowChose ? rowSecond : any(ways.second, isGiven),
                  std::all_of(ways.second.cbegin(), ways.second.cend(), isGiven), ways);
}

std::variant<QString, bool> takesSecondWay(Way way, const InputValues &values,
                                           const Alternatives &ways)
{
    if (way == Way::eachRow)
        return rowWay(values, ways);
    return way == Way::second;
}

Alternatives cameraWays(InputId hfov, InputId pixelSize, InputId focalLength)
{
    return {{hfov},
            {pixelSize, focalLength},
            QStringLiteral("give --hfov, or --pixel-size and --focal-length"),
            QStringLiteral("give --hfov, or --pixel-size and --focal-length"),
            QStringLiteral("--pixel-size and --focal-length go together")};
}

QString helpRows(const QVector<std::pair<QString, QString>> &rows)
{
    int width = 0;
    for (const auto &row : rows)
        width = std::max(width, row.first.size());
    // Descriptions stand in a column and wrap before the 80th character.
    const int indent = width + 4;
    QString text;
    for (const auto &[name, description] : rows)
        text += QStringLiteral("  %1  %2\n")
                        .arg(name.leftJustified(width),
                             wrapped(description, helpWidth - indent, indent));
    return text;
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
