#pragma once

#include "fieldtext.h"
#include "results.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class ByteSink;

enum class OutputFormat { text, csv, json };

// Bytes on their way to the sink. Numbers are written in place, since a
// record holds many and appending each costs more than making it.
class OutputBuffer
{
public:
    OutputBuffer &operator+=(std::string_view bytes)
    {
        if (bytes.empty()) // an empty view's data may be null, which memcpy must not see
            return *this;
        std::memcpy(room(bytes.size()), bytes.data(), bytes.size());
        m_size += bytes.size();
        return *this;
    }
    OutputBuffer &operator+=(char byte)
    {
        *room(1) = byte;
        ++m_size;
        return *this;
    }
    // Where to write at most count bytes; commit() then takes them up to end.
    char *room(std::size_t count)
    {
        if (m_bytes.size() - m_size < count)
            m_bytes.resize(std::max(2 * m_bytes.size(), m_size + count));
        return m_bytes.data() + m_size;
    }
    void commit(const char *end) { m_size = static_cast<std::size_t>(end - m_bytes.data()); }

    const char *data() const { return m_bytes.data(); }
    std::size_t size() const { return m_size; }
    void clear() { m_size = 0; }

private:
    std::vector<char> m_bytes;
    std::size_t m_size = 0;
};

// Writes calculations as a table a person reads, as CSV with a header line,
// or as JSON Lines. Records collect in a buffer that goes to the sink in
// whole records only: when it is full, and whenever the caller flushes.
class RecordWriter
{
public:
    RecordWriter(OutputFormat format, const ResultTable &results,
                 const QStringList &passThroughNames, ByteSink &sink);

    void writeHeader();
    void write(const FieldList &passThrough, const Results &results);
    void writeError(const FieldList &passThrough, const QString &error);
    // Hands the buffered records to the sink; false once a write has failed.
    bool flush();
    bool failed() const { return m_failed; }

private:
    void writeText(const FieldList &passThrough, const Results *results, const QString &error);
    void writeCsv(const FieldList &passThrough, const Results *results, const QString &error);
    void writeJson(const FieldList &passThrough, const Results *results, const QString &error);
    void writeRecord(const FieldList &passThrough, const Results *results, const QString &error);
    void appendTextLine(const QString &label, const QString &value);

    OutputFormat m_format;
    const QVector<ResultSpec> &m_results;
    QStringList m_passThroughNames;
    ByteSink &m_sink;
    OutputBuffer m_buffer;
    int m_labelWidth = 0;
    bool m_written = false;
    bool m_failed = false;
};
