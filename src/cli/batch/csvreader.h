#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class ByteSource;

// One record's fields as UTF-8 bytes, in storage that the next record
// reuses: read a batch of any length without allocating per record.
class CsvRecord
{
public:
    qint64 line = 0; // where the record starts, from 1
    std::optional<QString> error; // why the record is malformed

    int size() const { return static_cast<int>(m_ends.size()); }
    std::string_view field(int index) const
    {
        const std::size_t start = index == 0 ? 0 : m_ends[static_cast<std::size_t>(index) - 1];
        return std::string_view(m_bytes).substr(start,
                                                m_ends[static_cast<std::size_t>(index)] - start);
    }
    QStringList texts() const;

private:
    friend class CsvReader;
    std::string m_bytes; // the fields one after another
    std::vector<std::size_t> m_ends; // where each field ends in m_bytes
};

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
class CsvReader
{
public:
    // beforeWait runs before each read of the source, so that the caller can
    // hand on its answers before the reader waits for more input.
    explicit CsvReader(ByteSource &source, std::function<void()> beforeWait = {});

    // False at the end of the input, or when the source failed.
    bool readRecord(CsvRecord &record);
    // Why the source failed, if it did.
    const std::optional<QString> &readError() const { return m_readError; }
    // Where the record that an interruption cut short began, if one did.
    std::optional<qint64> cutShortAt() const { return m_cutShortAt; }

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
