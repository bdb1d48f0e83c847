#pragma once

#include "fieldtext.h"

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

// One result: its CSV column and JSON key, the label a person reads, and how
// its value is shown.
struct ResultSpec
{
    QString key;
    QString label;
    int decimals;
    QString unit;
};

// A handle to a declared result. Only its table makes one, so a calculation
// can reach a result only through what was declared.
class ResultId
{
private:
    explicit ResultId(int column) : m_column(column) { }
    int m_column;

    friend class ResultTable;
    friend class Results;
};

// A command's results in column order.
class ResultTable
{
public:
    ResultId add(ResultSpec result);
    const QVector<ResultSpec> &specs() const { return m_specs; }

private:
    QVector<ResultSpec> m_specs;
};

// One calculation's values. A result left unset does not apply (the scene
// width when no distance was given).
class Results
{
public:
    explicit Results(const ResultTable &table);

    void set(ResultId result, double value)
    {
        m_values[static_cast<std::size_t>(result.m_column)] = value;
    }
    void clear();
    // The label of the first result that is set but not finite, if any;
    // infinity is a value of the results listed.
    std::optional<QString> firstNonFinite(const std::vector<ResultId> &infinite) const;

private:
    // By column only for the writer, which shows them all in order.
    friend class RecordWriter;
    const std::optional<double> &at(int column) const
    {
        return m_values[static_cast<std::size_t>(column)];
    }

    const ResultTable &m_table;
    std::vector<std::optional<double>> m_values;
};

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
