#include "outputformats.h"

#include "numbertext.h"
#include "textappend.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const QString errorLabel = QStringLiteral("Error");
const QString lineBreakMark = QStringLiteral("\u21B5");

// A line break inside a field or a name would break a text block; it is
// shown as a mark instead.
QString oneLine(QString text)
{
    return text.replace(QStringLiteral("\r\n"), lineBreakMark)
            .replace(QLatin1Char('\r'), lineBreakMark)
            .replace(QLatin1Char('\n'), lineBreakMark);
}

void append(OutputBuffer &out, const QString &text)
{
    out += text.toStdString();
}

// Short texts copied in blocks of 16 bytes, which compile to plain moves
// where a copy of any length calls memmove: a table line is three such
// copies, and a batch writes millions of lines. The source runs on with
// spaces to a whole block, and the room taken covers the last block.
constexpr std::size_t copyBlock = 16;

constexpr std::size_t inBlocks(std::size_t length)
{
    return (length + copyBlock - 1) / copyBlock * copyBlock;
}

// The text, then at least `spaces` spaces, to a whole number of blocks.
struct BlockText
{
    explicit BlockText(std::string text, std::size_t spaces = 0) : length(text.size())
    {
        bytes = std::move(text);
        bytes.resize(inBlocks(length + spaces), ' ');
    }
    std::string bytes;
    std::size_t length;
};

// `length` bytes of `from`, which holds them rounded up to a whole block.
char *copyInBlocks(char *at, const char *from, std::size_t length)
{
    for (std::size_t done = 0; done < length; done += copyBlock)
        std::memcpy(at + done, from + done, copyBlock);
    return at + length;
}

// A table to read: one block per calculation, labels left, numbers
// right-aligned on their last digit, units after them; a blank line between
// blocks.
class TextSink final : public RecordSink
{
public:
    // Labels padded to the widest, and units with their separator, once
    // per run.
    TextSink(const ResultTable &results, const QStringList &passThroughNames, ByteSink &sink)
        : RecordSink(results, passThroughNames, sink)
    {
        int width = errorLabel.size();
        for (const QString &name : m_passThroughNames)
            width = std::max(width, oneLine(name).size());
        for (const ResultSpec &result : m_results)
            width = std::max(width, result.label.size());
        const auto padded = [width](const QString &label) {
            return oneLine(label).leftJustified(width + 2).toStdString();
        };
        m_errorLabel = padded(errorLabel);
        for (const QString &name : m_passThroughNames)
            m_passThroughLabels.push_back(padded(name));
        for (const ResultSpec &result : m_results) {
            m_resultLabels.emplace_back(padded(result.label), alignmentSpaces);
            m_units.emplace_back(
                    unitAfterNumber(result.unit).append(QLatin1Char('\n')).toStdString());
            m_decimals.push_back(result.decimals);
        }
        m_numbers.resize(m_resultLabels.size());
    }

    // One result's text in this record: Qt's digits, written in place, or
    // for the few values the direct writer declines, Qt's own text.
    struct Number
    {
        char digits[inBlocks(fixedDirectlyMaximumLength)] = {};
        std::size_t length = 0;
        std::string qtText;
        std::string_view text() const
        {
            return qtText.empty() ? std::string_view(digits, length) : std::string_view(qtText);
        }
    };

private:
    void write(const FieldList &passThrough, const Results *results, const QString &error) override;

    std::string m_errorLabel;
    std::vector<std::string> m_passThroughLabels;
    // Spaces kept after each label for the numbers' alignment, enough for
    // any number the direct writer gives.
    static constexpr std::size_t alignmentSpaces = fixedDirectlyMaximumLength;
    std::vector<BlockText> m_resultLabels;
    std::vector<BlockText> m_units; // with the line's end
    std::vector<int> m_decimals;
    std::vector<Number> m_numbers; // this record's, reused
    bool m_written = false;
};

// CSV with a header line of the pass-through names, the result keys and
// "error".
class CsvSink final : public RecordSink
{
public:
    using RecordSink::RecordSink;

    void begin() override
    {
        for (const QString &name : m_passThroughNames) {
            appendCsvField(m_buffer, name.toStdString());
            m_buffer += ',';
        }
        for (const ResultSpec &result : m_results) {
            append(m_buffer, result.key);
            m_buffer += ',';
        }
        m_buffer += "error\n";
    }

private:
    void write(const FieldList &passThrough, const Results *results, const QString &error) override;
};

// JSON Lines: one object per calculation. Numbers in full, the shortest
// text that reads back as the same double; JSON has no infinity or NaN, so
// those are null like results that do not apply.
class JsonLinesSink final : public RecordSink
{
public:
    // Every key as it is written, once per run.
    JsonLinesSink(const ResultTable &results, const QStringList &passThroughNames, ByteSink &sink)
        : RecordSink(results, passThroughNames, sink)
    {
        for (const QString &name : m_passThroughNames)
            m_passThroughKeys.push_back(key(name));
        for (const ResultSpec &result : m_results)
            m_resultKeys.emplace_back(key(result.key));
    }

private:
    void write(const FieldList &passThrough, const Results *results, const QString &error) override;
    static std::string key(const QString &name)
    {
        OutputBuffer text;
        appendJsonString(text, name.toStdString());
        text += ':';
        return std::string(text.data(), text.size());
    }

    std::vector<std::string> m_passThroughKeys;
    std::vector<BlockText> m_resultKeys;
};

template <typename Sink>
std::unique_ptr<RecordSink> make(const ResultTable &results, const QStringList &passThroughNames,
                                 ByteSink &sink)
{
    return std::make_unique<Sink>(results, passThroughNames, sink);
}

} // namespace

const std::array<OutputFormat, 3> outputFormats{{
        {"text", "a table to read, the default", make<TextSink>},
        {"csv", nullptr, make<CsvSink>},
        {"json", "JSON Lines", make<JsonLinesSink>},
}};

void TextSink::write(const FieldList &passThrough, const Results *results, const QString &error)
{
    if (m_written)
        m_buffer += '\n';
    m_written = true;
    for (std::size_t column = 0; column < passThrough.size(); ++column) {
        m_buffer += m_passThroughLabels[column];
        const std::string_view field = passThrough[column];
        if (isAscii(field) && field.find_first_of("\r\n") == std::string_view::npos)
            m_buffer += field;
        else
            append(m_buffer, oneLine(fieldText(field)));
        m_buffer += '\n';
    }
    if (!results) {
        m_buffer += m_errorLabel;
        append(m_buffer, oneLine(error));
        m_buffer += '\n';
        return;
    }
    // Numbers right-aligned on their last digit: the widest sets the column.
    std::size_t numberWidth = 0;
    for (std::size_t column = 0; column < m_numbers.size(); ++column) {
        Number &number = m_numbers[column];
        number.length = 0;
        number.qtText.clear();
        if (const auto &value = resultValue(*results, static_cast<int>(column))) {
            const int decimals = m_decimals[column];
            if (const char *end = writeFixedDirectly(number.digits, *value, decimals))
                number.length = static_cast<std::size_t>(end - number.digits);
            else
                number.qtText = fixed(*value, decimals).toStdString();
        }
        numberWidth = std::max(numberWidth, number.text().size());
    }
    for (std::size_t column = 0; column < m_numbers.size(); ++column) {
        if (!resultValue(*results, static_cast<int>(column)))
            continue;
        // The whole line in one piece of the buffer.
        const BlockText &label = m_resultLabels[column];
        const Number &number = m_numbers[column];
        const BlockText &unit = m_units[column];
        const std::size_t lead = label.length + numberWidth - number.text().size();
        char *line = m_buffer.room(inBlocks(lead) + inBlocks(numberWidth) + inBlocks(unit.length));
        if (lead <= label.bytes.size()) {
            line = copyInBlocks(line, label.bytes.data(), lead);
        } else { // beside a number of Qt's, too long for the spaces kept
            line = std::copy_n(label.bytes.data(), label.length, line);
            line = std::fill_n(line, lead - label.length, ' ');
        }
        if (number.qtText.empty())
            line = copyInBlocks(line, number.digits, number.length);
        else
            line = std::copy(number.qtText.begin(), number.qtText.end(), line);
        m_buffer.commit(copyInBlocks(line, unit.bytes.data(), unit.length));
    }
}

void CsvSink::write(const FieldList &passThrough, const Results *results, const QString &error)
{
    for (const std::string_view field : passThrough) {
        appendCsvField(m_buffer, field);
        m_buffer += ',';
    }
    for (int column = 0; column < m_results.size(); ++column) {
        if (results && resultValue(*results, column))
            appendFixed(m_buffer, *resultValue(*results, column), m_results[column].decimals);
        m_buffer += ',';
    }
    if (!error.isEmpty())
        appendCsvField(m_buffer, error.toStdString());
    m_buffer += '\n';
}

void JsonLinesSink::write(const FieldList &passThrough, const Results *results,
                          const QString &error)
{
    m_buffer += '{';
    for (std::size_t column = 0; column < passThrough.size(); ++column) {
        m_buffer += m_passThroughKeys[column];
        appendJsonString(m_buffer, passThrough[column]);
        m_buffer += ',';
    }
    for (int column = 0; column < m_results.size(); ++column) {
        // The key, the value and the comma in one piece of the buffer.
        const BlockText &key = m_resultKeys[static_cast<std::size_t>(column)];
        char *at = copyInBlocks(m_buffer.room(inBlocks(key.length) + shortestMaximumLength + 1),
                                key.bytes.data(), key.length);
        const auto value = results ? resultValue(*results, column) : std::optional<double>();
        if (value && std::isfinite(*value))
            at = writeShortest(at, *value);
        else
            at = std::copy_n("null", 4, at);
        *at++ = ',';
        m_buffer.commit(at);
    }
    m_buffer += "\"error\":";
    if (results)
        m_buffer += "null";
    else
        appendJsonString(m_buffer, error.toStdString());
    m_buffer += "}\n";
}
