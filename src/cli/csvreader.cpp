#include "csvreader.h"

#include <QIODevice>

namespace {

constexpr qint64 chunkSize = 1 << 16;

} // namespace

CsvReader::CsvReader(QIODevice *device) : m_device(device)
{
    m_buffer.reserve(static_cast<int>(chunkSize));
    m_field.reserve(256);
}

bool CsvReader::refill()
{
    m_buffer.resize(static_cast<int>(chunkSize));
    const qint64 read = m_device->read(m_buffer.data(), chunkSize);
    m_buffer.resize(read > 0 ? static_cast<int>(read) : 0);
    m_position = 0;
    if (read < 0)
        m_error = m_device->errorString();
    if (m_atStart && m_buffer.startsWith("\xEF\xBB\xBF"))
        m_position = 3;
    m_atStart = false;
    return m_position < m_buffer.size();
}

int CsvReader::peek()
{
    if (m_position >= m_buffer.size() && !refill())
        return endOfInput;
    return static_cast<unsigned char>(m_buffer.at(m_position));
}

bool CsvReader::readRecord(QStringList &fields)
{
    fields.clear();
    for (int c = peek(); c == '\n' || c == '\r'; c = peek()) {
        if (next() == '\n')
            ++m_line;
    }
    if (peek() == endOfInput)
        return false;

    m_recordLine = m_line;
    m_field.resize(0);
    bool quoted = false;
    for (;;) {
        const int c = next();
        if (c == endOfInput && (quoted || !m_error.isEmpty())) {
            if (m_error.isEmpty())
                m_error = QStringLiteral("line %1: a quoted field is not closed").arg(m_recordLine);
            return false;
        }
        if (quoted) {
            if (c == '"' && peek() == '"')
                m_field += static_cast<char>(next());
            else if (c == '"')
                quoted = false;
            else
                m_field += static_cast<char>(c);
            if (c == '\n')
                ++m_line;
            continue;
        }
        switch (c) {
        case '"':
            quoted = true;
            break;
        case ',':
            fields << QString::fromUtf8(m_field);
            m_field.resize(0);
            break;
        case '\r':
            if (peek() != '\n')
                m_field += '\r';
            break;
        case '\n':
            ++m_line;
            [[fallthrough]];
        case endOfInput:
            fields << QString::fromUtf8(m_field);
            return true;
        default:
            m_field += static_cast<char>(c);
        }
    }
}
