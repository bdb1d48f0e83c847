#include "recordwriter.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

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
            if (static_cast<unsigned char>(c) < 0x20)
                line += QByteArray("\\u00") + QByteArray::number(c, 16).rightJustified(2, '0');
            else
                line += c;
        }
    }
    line += '"';
}

} // namespace

RecordWriter::RecordWriter(OutputFormat format, const QVector<ResultSpec> &results,
                           const QStringList &passThroughNames, std::FILE *stream)
    : m_format(format), m_results(results), m_passThroughNames(passThroughNames), m_stream(stream)
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
    if (m_format != OutputFormat::Csv)
        return;
    for (const QString &name : m_passThroughNames) {
        appendCsvField(m_buffer, name);
        m_buffer += ',';
    }
    for (const ResultSpec &result : m_results)
        m_buffer += result.key.toUtf8() + ',';
    m_buffer += "error\n";
}

void RecordWriter::write(const QStringList &passThrough, const Results &results,
                         const QString &error)
{
    switch (m_format) {
    case OutputFormat::Text:
        writeText(passThrough, results, error);
        break;
    case OutputFormat::Csv:
        writeCsv(passThrough, results, error);
        break;
    case OutputFormat::Json:
        writeJson(passThrough, results, error);
        break;
    }
    m_written = true;
    flushWhenFull();
}

void RecordWriter::appendTextLine(const QString &label, const QString &value)
{
    m_buffer += label.leftJustified(m_labelWidth + 2).toUtf8() + value.toUtf8() + '\n';
}

// One block per calculation: labels left, numbers right-aligned on their
// last digit, units after them; a blank line between blocks.
void RecordWriter::writeText(const QStringList &passThrough, const Results &results,
                             const QString &error)
{
    if (m_written)
        m_buffer += '\n';
    for (int column = 0; column < passThrough.size(); ++column)
        appendTextLine(m_passThroughNames.at(column), passThrough.at(column));
    if (!error.isEmpty()) {
        appendTextLine(errorLabel, error);
        return;
    }
    QStringList numbers;
    int numberWidth = 0;
    for (int index = 0; index < m_results.size(); ++index) {
        const auto &value = results.at(index);
        numbers << (value ? fixed(*value, m_results.at(index).decimals) : QString());
        numberWidth = std::max(numberWidth, numbers.last().size());
    }
    for (int index = 0; index < m_results.size(); ++index) {
        if (!results.at(index))
            continue;
        const QString &unit = m_results.at(index).unit;
        const QString separator = unit == degreeSign ? QString() : QStringLiteral(" ");
        appendTextLine(m_results.at(index).label,
                       numbers.at(index).rightJustified(numberWidth) + separator + unit);
    }
}

void RecordWriter::writeCsv(const QStringList &passThrough, const Results &results,
                            const QString &error)
{
    for (const QString &text : passThrough) {
        appendCsvField(m_buffer, text);
        m_buffer += ',';
    }
    for (int index = 0; index < m_results.size(); ++index) {
        const auto &value = results.at(index);
        if (value && error.isEmpty())
            m_buffer += fixed(*value, m_results.at(index).decimals).toLatin1();
        m_buffer += ',';
    }
    appendCsvField(m_buffer, error);
    m_buffer += '\n';
}

// Numbers in full: the shortest text that reads back as the same double.
// JSON has no infinity or NaN, so those are null like results that do not
// apply.
void RecordWriter::writeJson(const QStringList &passThrough, const Results &results,
                             const QString &error)
{
    m_buffer += '{';
    for (int column = 0; column < passThrough.size(); ++column) {
        appendJsonString(m_buffer, m_passThroughNames.at(column));
        m_buffer += ':';
        appendJsonString(m_buffer, passThrough.at(column));
        m_buffer += ',';
    }
    for (int index = 0; index < m_results.size(); ++index) {
        const auto &value = results.at(index);
        m_buffer += '"' + m_results.at(index).key.toUtf8() + "\":";
        if (value && error.isEmpty() && std::isfinite(*value))
            m_buffer += QString::number(*value, 'g', QLocale::FloatingPointShortest).toLatin1();
        else
            m_buffer += "null";
        m_buffer += ',';
    }
    m_buffer += "\"error\":";
    if (error.isEmpty())
        m_buffer += "null";
    else
        appendJsonString(m_buffer, error);
    m_buffer += "}\n";
}

void RecordWriter::flushWhenFull()
{
    if (m_buffer.size() >= bufferSize)
        flush();
}

void RecordWriter::flush()
{
    const auto size = static_cast<std::size_t>(m_buffer.size());
    if (size > 0 && std::fwrite(m_buffer.constData(), 1, size, m_stream) != size)
        m_failed = true;
    m_buffer.resize(0); // keeps the reserved capacity
}

bool RecordWriter::finish()
{
    flush();
    return std::fflush(m_stream) == 0 && !m_failed;
}
