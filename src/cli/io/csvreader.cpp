#include "csvreader.h"

#include "fieldtext.h"
#include "streams.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr int chunkSize = 1 << 16;

struct Stops
{
    bool quoted[256] = {};
    bool unquoted[256] = {};
};

// The bytes that end a run of field text: inside quotes a quote, outside
// them a comma; line ends and NUL in both.
constexpr Stops stops = [] {
    Stops table;
    for (const unsigned char c : {'\n', '\r', '\0'})
        table.quoted[c] = table.unquoted[c] = true;
    table.quoted[static_cast<unsigned char>('"')] = true;
    table.unquoted[static_cast<unsigned char>(',')] = true;
    return table;
}();

void fail(Record &record, const char *problem)
{
    if (!record.error)
        record.error = QString::fromLatin1(problem);
}

} // namespace

CsvReader::CsvReader(ByteSource &source) : m_source(source)
{
}

bool CsvReader::fill()
{
    if (m_ended)
        return false;
    if (m_beforeWait)
        m_beforeWait();
    m_buffer.resize(chunkSize);
    qint64 count = m_source.read(m_buffer.data(), chunkSize);
    if (count < 0) {
        m_readError = m_source.errorString();
        count = 0;
    }
    m_buffer.resize(static_cast<int>(count));
    m_position = 0;
    m_ended = count == 0;
    m_interrupted = m_ended && m_source.interrupted();
    return !m_ended;
}

// A slow pipe may hand the mark over in pieces.
void CsvReader::skipByteOrderMark()
{
    QByteArray start;
    const QByteArray byteOrderMark = QByteArray::fromRawData(
            utf8ByteOrderMark.data(), static_cast<int>(utf8ByteOrderMark.size()));
    while (start.size() < byteOrderMark.size() && fill())
        start += m_buffer;
    if (start.startsWith(byteOrderMark))
        start.remove(0, byteOrderMark.size());
    m_buffer = start;
    m_position = 0;
}

// CRLF is one line end, and so is a CR alone.
void CsvReader::countLineEnd(int c)
{
    if (c == '\r' || m_previous != '\r')
        ++m_line;
}

// Blank lines, a machine word at a time where they are all LF, so that even
// billions of them pass quickly.
void CsvReader::skipLineEnds(int &c)
{
    constexpr std::uint64_t allLineFeeds = 0x0a0a0a0a0a0a0a0aULL;
    while (c == '\n' || c == '\r') {
        countLineEnd(c);
        if (c == '\n') {
            std::uint64_t word = 0;
            while (m_buffer.size() - m_position >= int(sizeof word)) {
                std::memcpy(&word, m_buffer.constData() + m_position, sizeof word);
                if (word != allLineFeeds)
                    break;
                m_position += int(sizeof word);
                m_line += qint64(sizeof word);
            }
        }
        c = next();
    }
}

void CsvReader::takeRun(std::string &field, const bool (&stopsHere)[256])
{
    const char *const data = m_buffer.constData();
    const int start = m_position;
    int end = start;
    while (end < m_buffer.size() && !stopsHere[static_cast<unsigned char>(data[end])])
        ++end;
    if (end == start)
        return;
    field.append(data + start, static_cast<std::size_t>(end - start));
    m_current = static_cast<unsigned char>(data[end - 1]);
    m_position = end;
}

bool CsvReader::readRecord(Record &record)
{
    if (!m_started) {
        m_started = true;
        skipByteOrderMark();
    }
    record.m_bytes.clear();
    record.m_ends.clear();
    record.error.reset();
    record.lineEnded = false;
    const auto endField = [&record] { record.m_ends.push_back(record.m_bytes.size()); };
    int c = next();
    skipLineEnds(c);
    if (c == endOfInput)
        return false;
    record.line = m_line;
    // Only a line end completes a record that a signal may still cut short.
    const auto cutShort = [this, &record] {
        if (m_interrupted)
            m_cutShortAt = record.line;
        return !m_interrupted;
    };

    enum class State { fieldStart, unquoted, quoted, afterQuote };
    State state = State::fieldStart;
    for (;; c = next()) {
        if (c == '\0') {
            // Dropped, but it takes a place: a quote after it neither opens
            // the field nor pairs with a closing quote.
            fail(record, "holds a NUL byte");
            if (state != State::quoted)
                state = State::unquoted;
            continue;
        }
        if (state == State::quoted) {
            if (c == endOfInput) {
                fail(record, "a quoted field is not closed");
                endField();
                return cutShort();
            }
            if (c == '"') {
                state = State::afterQuote;
                continue;
            }
            if (c == '\n' || c == '\r')
                countLineEnd(c);
            record.m_bytes += static_cast<char>(c);
            takeRun(record.m_bytes, stops.quoted);
            continue;
        }
        if (state == State::afterQuote && c == '"') {
            record.m_bytes += '"';
            state = State::quoted;
            continue;
        }
        if (state == State::fieldStart && c == '"') {
            state = State::quoted;
            continue;
        }
        switch (c) {
        case ',':
            endField();
            state = State::fieldStart;
            break;
        case '\n':
        case '\r':
            countLineEnd(c);
            endField();
            record.lineEnded = true;
            return true;
        case endOfInput:
            endField();
            return cutShort();
        default:
            if (state == State::afterQuote)
                fail(record, "has text after a closing quote");
            record.m_bytes += static_cast<char>(c);
            state = State::unquoted;
            takeRun(record.m_bytes, stops.unquoted);
        }
    }
}
