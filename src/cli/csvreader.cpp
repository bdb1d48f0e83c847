#include "csvreader.h"

#include "streams.h"

#include <cstring>

namespace {

constexpr int chunkSize = 1 << 16;
constexpr char16_t byteOrderMarkCharacter = 0xFEFF;
const QByteArray byteOrderMark = "\xEF\xBB\xBF";

void fail(CsvRecord &record, const char *problem)
{
    if (!record.error)
        record.error = QString::fromLatin1(problem);
}

} // namespace

CsvReader::CsvReader(ByteSource &source, std::function<void()> beforeWait)
    : m_source(source), m_beforeWait(std::move(beforeWait))
{
    m_field.reserve(256);
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
    return !m_ended;
}

// A slow pipe may hand the mark over in pieces.
void CsvReader::skipByteOrderMark()
{
    QByteArray start;
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

// QString::fromUtf8 drops a byte order mark that starts its input; a field
// keeps every character it has.
void CsvReader::endField(CsvRecord &record)
{
    int marks = 0;
    while (m_field.size() >= 3 * (marks + 1)
           && std::memcmp(m_field.constData() + 3 * marks, byteOrderMark.constData(), 3) == 0)
        ++marks;
    record.fields << QString(marks, QChar(byteOrderMarkCharacter))
                    + QString::fromUtf8(m_field.constData() + 3 * marks,
                                        m_field.size() - 3 * marks);
    m_field.resize(0);
}

bool CsvReader::readRecord(CsvRecord &record)
{
    if (!m_started) {
        m_started = true;
        skipByteOrderMark();
    }
    record.fields.clear();
    record.error.reset();
    int c = next();
    for (; c == '\n' || c == '\r'; c = next()) {
        countLineEnd(c);
    }
    if (c == endOfInput)
        return false;
    record.line = m_line;

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
                endField(record);
                return true;
            }
            if (c == '"') {
                state = State::afterQuote;
                continue;
            }
            if (c == '\n' || c == '\r')
                countLineEnd(c);
            m_field += static_cast<char>(c);
            continue;
        }
        if (state == State::afterQuote && c == '"') {
            m_field += '"';
            state = State::quoted;
            continue;
        }
        if (state == State::fieldStart && c == '"') {
            state = State::quoted;
            continue;
        }
        switch (c) {
        case ',':
            endField(record);
            state = State::fieldStart;
            break;
        case '\n':
        case '\r':
            countLineEnd(c);
            [[fallthrough]];
        case endOfInput:
            endField(record);
            return true;
        default:
            if (state == State::afterQuote)
                fail(record, "has text after a closing quote");
            m_field += static_cast<char>(c);
            state = State::unquoted;
        }
    }
}
