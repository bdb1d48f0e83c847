#include "command.h"

#include "csvreader.h"
#include "inputerror.h"
#include "recordwriter.h"

#include <QCommandLineParser>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

namespace {

const QString programName = QStringLiteral("kavrelo-cli");

struct OutputFormatName
{
    const char *name;
    OutputFormat format;
};

constexpr OutputFormatName outputFormats[]
        = {{"text", OutputFormat::Text}, {"csv", OutputFormat::Csv}, {"json", OutputFormat::Json}};

InputSpec sharedInput(const char *name, const char *valueName, const char *description,
                      bool required)
{
    return {QString::fromLatin1(name), QString::fromLatin1(valueName),
            QString::fromLatin1(description), required};
}

} // namespace

InputSpec pixelSizeInput(bool required)
{
    return sharedInput("pixel-size", "um", "Pixel size in micrometres.", required);
}

InputSpec focalLengthInput(bool required)
{
    return sharedInput("focal-length", "mm", "Focal length in millimetres.", required);
}

InputSpec horizontalResolutionInput(bool required)
{
    return sharedInput("resolution", "pixels", "Horizontal resolution in pixels.", required);
}

InputSpec horizontalFovInput(bool required)
{
    return sharedInput("hfov", "degrees", "Horizontal field of view in degrees.", required);
}

InputSpec distanceInput()
{
    return sharedInput("distance", "m", "Distance to the target in metres.", false);
}

QString fieldError(const QString &fieldWord, const QString &text, const QString &problem)
{
    return QStringLiteral("%1: \"%2\" %3").arg(fieldWord, text, problem);
}

QString notANumber(const InputError &error)
{
    return fieldError(error.fieldWord, error.fieldText, QStringLiteral("is not a number"));
}

bool splitPair(const QString &text, QString &first, QString &second)
{
    const auto separator = std::find_if(text.begin(), text.end(), [](QChar c) {
        return c == QLatin1Char('x') || c == QLatin1Char('X') || c == QLatin1Char('*');
    });
    if (separator == text.end())
        return false;
    const int at = static_cast<int>(separator - text.begin());
    first = text.left(at);
    second = text.mid(at + 1);
    return true;
}

void FieldParser::fail(const QString &message)
{
    if (m_error.isEmpty())
        m_error = message;
}

double FieldParser::positive(const QString &fieldWord, const QString &text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok)
        fail(notANumber({fieldWord, text}));
    else if (!std::isfinite(value) || value <= 0.0)
        fail(fieldError(fieldWord, text, QStringLiteral("must be a finite number above 0")));
    return value;
}

double FieldParser::fieldOfView(const QString &text)
{
    const QString word = QStringLiteral("FOV");
    const double degrees = positive(word, text);
    if (degrees >= 180.0)
        fail(fieldError(word, text, QStringLiteral("must lie between 0 and 180 degrees")));
    return degrees;
}

void printError(const QString &message)
{
    std::fprintf(stderr, "%s\n", message.toUtf8().constData());
}

Command::Command(QString name, QString summary, QString details)
    : m_name(std::move(name)), m_summary(std::move(summary)), m_details(std::move(details))
{
}

Command::~Command() = default;

QString Command::prepare(const QVector<bool> &given, const QStringList & /*commandLine*/)
{
    for (int index = 0; index < m_inputs.size(); ++index) {
        if (m_inputs.at(index).required && !given.at(index))
            return QStringLiteral("--%1 is required").arg(m_inputs.at(index).name);
    }
    return {};
}

void Command::printMessage(const QString &message) const
{
    printError(QStringLiteral("%1 %2: %3").arg(programName, m_name, message));
}

int Command::reportUsage(const QString &message) const
{
    printMessage(message);
    printError(QStringLiteral("Try '%1 %2 --help' for more information.").arg(programName, m_name));
    return exitUsage;
}

int Command::execute(const QStringList &arguments)
{
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption format(
            QStringLiteral("format"),
            QStringLiteral("text (a table to read, the default), csv or json (JSON Lines)."),
            QStringLiteral("text|csv|json"), QStringLiteral("text"));
    const QCommandLineOption batch(
            QStringLiteral("batch"),
            QStringLiteral("Calculate each row of a CSV file (- for standard input)."),
            QStringLiteral("FILE"));
    QList<QCommandLineOption> inputOptions;
    for (const InputSpec &input : m_inputs)
        inputOptions << QCommandLineOption(input.name, input.description, input.valueName);

    QCommandLineParser parser;
    parser.addOptions(inputOptions);
    parser.addOptions({format, batch, help});
    if (!parser.parse(QStringList(programName) + arguments)) {
        // Qt's "Unknown option 'x'." in the form of our other messages.
        QString problem = parser.errorText();
        problem[0] = problem.at(0).toLower();
        return reportUsage(problem.endsWith(QLatin1Char('.')) ? problem.chopped(1) : problem);
    }
    if (parser.isSet(help)) {
        std::fputs(helpText(inputOptions + QList<QCommandLineOption>{format, batch, help})
                           .toUtf8()
                           .constData(),
                   stdout);
        return exitSuccess;
    }
    if (!parser.positionalArguments().isEmpty())
        return reportUsage(QStringLiteral("unexpected argument '%1'")
                                   .arg(parser.positionalArguments().first()));
    const QString formatName = parser.value(format);
    const auto chosen = std::find_if(
            std::begin(outputFormats), std::end(outputFormats),
            [&](const OutputFormatName &known) { return formatName == QLatin1String(known.name); });
    if (chosen == std::end(outputFormats))
        return reportUsage(
                QStringLiteral("unknown format '%1': use text, csv or json").arg(formatName));

    QStringList commandLine;
    QVector<bool> given;
    for (int index = 0; index < m_inputs.size(); ++index) {
        const bool isSet = parser.isSet(inputOptions.at(index));
        commandLine << (isSet ? parser.value(inputOptions.at(index))
                              : m_inputs.at(index).defaultValue);
        given << (isSet || !m_inputs.at(index).defaultValue.isNull());
    }
    if (parser.isSet(batch))
        return runBatch(parser.value(batch), commandLine, given, chosen->format);
    if (const QString problem = prepare(given, commandLine); !problem.isEmpty())
        return reportUsage(problem);
    return runOnce(commandLine, chosen->format);
}

int Command::runOnce(const QStringList &values, OutputFormat format)
{
    Results results(m_results.size());
    if (const QString problem = calculate(values, results); !problem.isEmpty()) {
        printMessage(problem);
        return exitBadInput;
    }
    RecordWriter writer(format, m_results, {}, stdout);
    writer.writeHeader();
    writer.write({}, results, {});
    return finishOutput(writer, exitSuccess);
}

int Command::runBatch(const QString &path, const QStringList &commandLine, QVector<bool> given,
                      OutputFormat format)
{
    const bool fromStandardInput = path == QLatin1String("-");
    const QString source = fromStandardInput ? QStringLiteral("standard input") : path;
    QFile file(path);
    if (!(fromStandardInput ? file.open(stdin, QIODevice::ReadOnly)
                            : file.open(QIODevice::ReadOnly)))
        return reportUsage(QStringLiteral("cannot read %1: %2").arg(source, file.errorString()));
    CsvReader reader(&file);
    QStringList header;
    if (!reader.readRecord(header)) {
        return reportUsage(reader.error().isEmpty()
                                   ? QStringLiteral("%1 has no header line").arg(source)
                                   : QStringLiteral("%1, %2").arg(source, reader.error()));
    }

    // Columns named after an input feed it; any other column passes through.
    QVector<int> columnOfInput(m_inputs.size(), -1);
    QVector<int> passThroughColumns;
    QStringList passThroughNames;
    for (int column = 0; column < header.size(); ++column) {
        const QString name = header.at(column).trimmed();
        const auto input = std::find_if(m_inputs.cbegin(), m_inputs.cend(),
                                        [&](const InputSpec &known) { return known.name == name; });
        if (input == m_inputs.cend()) {
            passThroughColumns << column;
            passThroughNames << header.at(column);
            continue;
        }
        const auto index = input - m_inputs.cbegin();
        if (columnOfInput.at(index) >= 0)
            return reportUsage(QStringLiteral("%1 names %2 twice").arg(source, name));
        columnOfInput[index] = column;
        given[index] = true;
    }
    if (const QString problem = prepare(given, commandLine); !problem.isEmpty())
        return reportUsage(problem);

    RecordWriter writer(format, m_results, passThroughNames, stdout);
    writer.writeHeader();
    int status = exitSuccess;
    QStringList record;
    QStringList values = commandLine;
    QStringList passThrough;
    Results results(m_results.size());
    while (reader.readRecord(record)) {
        if (record.size() != header.size()) {
            writer.finish();
            return reportUsage(QStringLiteral("%1, line %2: %3 fields where the header has %4")
                                       .arg(source)
                                       .arg(reader.recordLine())
                                       .arg(record.size())
                                       .arg(header.size()));
        }
        // An empty cell takes the command line's value, like a missing column.
        for (int index = 0; index < m_inputs.size(); ++index) {
            const int column = columnOfInput.at(index);
            values[index] = column >= 0 && !record.at(column).isEmpty() ? record.at(column)
                                                                        : commandLine.at(index);
        }
        passThrough.clear();
        for (const int column : passThroughColumns)
            passThrough << record.at(column);
        std::fill(results.begin(), results.end(), std::nullopt);
        QString problem = calculate(values, results);
        if (!problem.isEmpty()) {
            problem = QStringLiteral("line %1: %2").arg(reader.recordLine()).arg(problem);
            status = exitBadInput;
        }
        writer.write(passThrough, results, problem);
    }
    if (!reader.error().isEmpty()) {
        writer.finish();
        return reportUsage(QStringLiteral("%1, %2").arg(source, reader.error()));
    }
    return finishOutput(writer, status);
}

int Command::finishOutput(RecordWriter &writer, int status) const
{
    if (writer.finish())
        return status;
    printMessage(QStringLiteral("cannot write the output: %1")
                         .arg(QString::fromLocal8Bit(std::strerror(errno))));
    return exitBadInput;
}

QString Command::helpText(const QList<QCommandLineOption> &options) const
{
    QStringList names;
    int width = 0;
    for (const QCommandLineOption &option : options) {
        QStringList dashed;
        for (const QString &name : option.names())
            dashed << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
        names << dashed.join(QStringLiteral(", "))
                        + (option.valueName().isEmpty()
                                   ? QString()
                                   : QStringLiteral(" <%1>").arg(option.valueName()));
        width = std::max(width, names.last().size());
    }
    QString text = QStringLiteral("Usage: %1 %2 [options]\n%3\n\n%4\n\nOptions:\n")
                           .arg(programName, m_name, m_summary, m_details);
    const QString continuation = QStringLiteral("\n") + QString(width + 4, QLatin1Char(' '));
    for (int index = 0; index < options.size(); ++index) {
        QString description = options.at(index).description();
        text += QStringLiteral("  %1  %2\n")
                        .arg(names.at(index).leftJustified(width),
                             description.replace(QLatin1Char('\n'), continuation));
    }
    return text;
}
