#include "recordwriter.h"

#include "streams.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr int bufferSize = 1 << 16;
const QString errorLabel = QStringLiteral("Error");
const QString degreeSign = QStringLiteral("\u00B0");

// Fixed decimals exactly as the window's labels show them, inf and nan
// included.
QString fixed(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

void appendCsvField(QByteArray &line, const QString &text)
{
    static const QString special = QStringLiteral(",\"\r\n");
    const bool quote
            = std::any_of(text.begin(), text.end(), [](QChar c) { return special.contains(c); });
    if (!quote) {
        line += text.toUtf8();
        return;
    }
    QString doubled = text;
    doubled.replace(QLatin1Char('"'), QLatin1String("\"\""));
    line += '"' + doubled.toUtf8() + '"';
}

void appendJsonString(QByteArray &line, const QString &text)
{
    line += '"';
    for (const char c : text.toUtf8()) {
        switch (c) {
        case '"':
            line += "\\\"";
            break;
        case '\\':
            line += "\\\\";
            break;
        case '\n':
            line += "\\n";
            break;
        case '\r':
            line += "\\r";
            break;
        case '\t':
            line += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                line += QByteArray(escaped,
                                   std::snprintf(escaped, sizeof escaped, "\\u%04x",
                                                 static_cast<unsigned>(c)));
            } else {
                line += c;
            }
        }
    }
    line += '"';
}

} // namespace

ResultId ResultTable::add(ResultSpec result)
{
    m_specs.append(std::move(result));
    return ResultId(m_specs.size() - 1);
}

Results::Results(const ResultTable &table) : m_table(table), m_values(table.specs().size())
{
}

void Results::clear()
{
    std::fill(m_values.begin(), m_values.end(), std::nullopt);
}

std::optional<QString> Results::nonFiniteError() const
{
    for (int column = 0; column < m_values.size(); ++column) {
        if (m_values.at(column) && !std::isfinite(*m_values.at(column)))
            return QStringLiteral("%1: the result is not a finite number")
                    .arg(m_table.specs().at(column).key);
    }
    return std::nullopt;
}

RecordWriter::RecordWriter(OutputFormat format, const ResultTable &results,
                           const QStringList &passThroughNames, ByteSink &sink)
    : m_format(format)
    , m_results(results.specs())
    , m_passThroughNames(passThroughNames)
    , m_sink(sink)
{
    m_buffer.reserve(bufferSize + 1024);
    m_labelWidth = errorLabel.size();
    for (const QString &name : m_passThroughNames)
        m_labelWidth = std::max(m_labelWidth, name.size());
    for (const ResultSpec &result : m_results)
        m_labelWidth = std::max(m_labelWidth, result.label.size());
}

void RecordWriter::writeHeader()
{
    if (m_format != OutputFormat::csv)
        return;
    for (const QString &name : m_passThroughNames) {
        appendCsvField(m_buffer, name);
        m_buffer += ',';
    }
    for (const ResultSpec &result : m_results)
        m_buffer += result.key.toUtf8() + ',';
    m_buffer += "error\n";
}

void RecordWriter::write(const QStringList &passThrough, const Results &results)
{
    writeRecord(passThrough, &results, {});
}

void RecordWriter::writeError(const QStringList &passThrough, const QString &error)
{
    writeRecord(passThrough, nullptr, error);
}

void RecordWriter::writeRecord(const QStringList &passThrough, const Results *results,
                               const QString &error)
{
    switch (m_format) {
    case OutputFormat::text:
        writeText(passThrough, results, error);
        break;
    case OutputFormat::csv:
        writeCsv(passThrough, results, error);
        break;
    case OutputFormat::json:
        writeJson(passThrough, results, error);
        break;
    }
    m_written = true;
    if (m_buffer.size() >= bufferSize)
        flush();
}

void RecordWriter::appendTextLine(const QString &label, const QString &value)
{
    m_buffer += label.leftJustified(m_labelWidth + 2).toUtf8() + value.toUtf8() + '\n';
}

// One block per calculation: labels left, numbers right-aligned on their
// last digit, units after them; a blank line between blocks.
void RecordWriter::writeText(const QStringList &passThrough, const Results *results,
                             const QString &error)
{
    if (m_written)
        m_buffer += '\n';
    for (int column = 0; column < passThrough.size(); ++column)
        appendTextLine(m_passThroughNames.at(column), passThrough.at(column));
    if (!results) {
        appendTextLine(errorLabel, error);
        return;
    }
    QStringList numbers;
    int numberWidth = 0;
    for (int column = 0; column < m_results.size(); ++column) {
        const auto &value = results->at(column);
        numbers << (value ? fixed(*value, m_results.at(column).decimals) : QString());
        numberWidth = std::max(numberWidth, numbers.last().size());
    }
    for (int column = 0; column < m_results.size(); ++column) {
        if (!results->at(column))
            continue;
        const QString &unit = m_results.at(column).unit;
        const QString separator = unit == degreeSign ? QString() : QStringLiteral(" ");
        appendTextLine(m_results.at(column).label,
                       numbers.at(column).rightJustified(numberWidth) + separator + unit);
    }
}

void RecordWriter::writeCsv(const QStringList &passThrough, const Results *results,
                            const QString &error)
{
    for (const QString &text : passThrough) {
        appendCsvField(m_buffer, text);
        m_buffer += ',';
    }
    for (int column = 0; column < m_results.size(); ++column) {
        if (results && results->at(column))
            m_buffer += fixed(*results->at(column), m_results.at(column).decimals).toLatin1();
        m_buffer += ',';
    }
    appendCsvField(m_buffer, error);
    m_buffer += '\n';
}

// Numbers in full: the shortest text that reads back as the same double.
// JSON has no infinity or NaN, so those are null like results that do not
// apply.
void RecordWriter::writeJson(const QStringList &passThrough, const Results *results,
                             const QString &error)
{
    m_buffer += '{';
    for (int column = 0; column < passThrough.size(); ++column) {
        appendJsonString(m_buffer, m_passThroughNames.at(column));
        m_buffer += ':';
        appendJsonString(m_buffer, passThrough.at(column));
        m_buffer += ',';
    }
    for (int column = 0; column < m_results.size(); ++column) {
        m_buffer += '"' + m_results.at(column).key.toUtf8() + "\":";
        const auto value = results ? results->at(column) : std::optional<double>();
        if (value && std::isfinite(*value))
            m_buffer += QString::number(*value, 'g', QLocale::FloatingPointShortest).toLatin1();
        else
            m_buffer += "null";
        m_buffer += ',';
    }
    m_buffer += "\"error\":";
    if (results)
        m_buffer += "null";
    else
        appendJsonString(m_buffer, error);
    m_buffer += "}\n";
}

bool RecordWriter::flush()
{
    if (!m_failed && !m_buffer.isEmpty() && !m_sink.write(m_buffer.constData(), m_buffer.size()))
        m_failed = true;
    m_buffer.resize(0); // keeps the reserved capacity
    return !m_failed;
}
