#pragma once

#include "recordsource.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class ByteSource;

// Reads CSV one record at a time, so a file of any length takes the same
// memory. The policy, which spreadsheets and Python's csv module share:
// - Fields are separated by commas. A quote opens a quoted field only as the
//   field's first character; anywhere else it is an ordinary character, as
//   in the inch mark of a 1/2.8" sensor.
// - A quoted field may hold commas and line breaks, and "" for a quote.
// - Lines end in LF, CRLF or a bare CR. Blank lines hold no record and are
//   skipped. A UTF-8 byte order mark at the start is skipped; one anywhere
//   else is a character. Bytes that are not UTF-8 become U+FFFD.
// - A record that a signal cut short (the source interrupted before its line
//   end came) is not returned at all: only its line is kept, for a message.
// - Text after a closing quote ("ab"cd), a quoted field still open at the end
//   of the input and a NUL byte make that one record malformed: it is still
//   returned, with its error, and reading goes on with the next record. An
//   open quote takes the rest of the input into its record.
class CsvReader final : public RecordSource
{
public:
    explicit CsvReader(ByteSource &source);

    bool readRecord(Record &record) override;
    const std::optional<QString> &readError() const override { return m_readError; }
    std::optional<qint64> cutShortAt() const override { return m_cutShortAt; }
    void beforeWait(std::function<void()> hook) override { m_beforeWait = std::move(hook); }

private:
    static constexpr int endOfInput = -1;

    int next()
    {
        if (m_position >= m_buffer.size() && !fill())
            return endOfInput;
        m_previous = m_current;
        m_current = static_cast<unsigned char>(m_buffer.at(m_position++));
        return m_current;
    }
    bool fill();
    void skipByteOrderMark();
    void countLineEnd(int c);
    void skipLineEnds(int &c);
    // Takes the bytes up to the next one that matters in this state.
    void takeRun(std::string &field, const bool (&stops)[256]);

    ByteSource &m_source;
    std::function<void()> m_beforeWait;
    QByteArray m_buffer;
    int m_position = 0;
    bool m_started = false;
    bool m_ended = false;
    int m_current = endOfInput;
    int m_previous = endOfInput; // the byte before the current one
    qint64 m_line = 1;
    std::optional<QString> m_readError;
    bool m_interrupted = false;
    std::optional<qint64> m_cutShortAt;
};
