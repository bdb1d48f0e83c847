#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QIODevice;

// Reads CSV as RFC 4180 writes it, one record at a time, so a file of any
// length takes the same memory: fields may be quoted, with "" for a quote and
// line breaks inside; records end in CRLF or LF; a UTF-8 byte order mark at
// the start is skipped. Blank lines are skipped too, as they hold no record.
class CsvReader
{
public:
    explicit CsvReader(QIODevice *device);

    // False at the end of the input or on an error (see error()).
    bool readRecord(QStringList &fields);
    // The line on which the last record read starts, from 1.
    int recordLine() const { return m_recordLine; }
    // Why reading stopped early; empty at a clean end.
    QString error() const { return m_error; }

private:
    static constexpr int endOfInput = -1;

    int peek();
    int next()
    {
        const int c = peek();
        if (c != endOfInput)
            ++m_position;
        return c;
    }
    bool refill();

    QIODevice *m_device;
    QByteArray m_buffer;
    int m_position = 0;
    int m_line = 1;
    int m_recordLine = 0;
    bool m_atStart = true;
    QByteArray m_field;
    QString m_error;
};
