#pragma once

#include "command.h"

#include <QByteArray>

#include <cstdio>

enum class OutputFormat { Text, Csv, Json };

// Writes calculations to a stream as a table a person reads, as CSV with a
// header line, or as JSON Lines. Output is buffered in large blocks, so a
// batch of any length costs one write per block, and only whole records
// ever reach the stream.
class RecordWriter
{
public:
    RecordWriter(OutputFormat format, const QVector<ResultSpec> &results,
                 const QStringList &passThroughNames, std::FILE *stream);

    void writeHeader();
    // An empty error means the results are valid.
    void write(const QStringList &passThrough, const Results &results, const QString &error);
    // Flushes what is buffered; false when the stream did not take it all.
    bool finish();

private:
    void writeText(const QStringList &passThrough, const Results &results, const QString &error);
    void writeCsv(const QStringList &passThrough, const Results &results, const QString &error);
    void writeJson(const QStringList &passThrough, const Results &results, const QString &error);
    void appendTextLine(const QString &label, const QString &value);
    void flushWhenFull();
    void flush();

    OutputFormat m_format;
    const QVector<ResultSpec> &m_results;
    QStringList m_passThroughNames;
    std::FILE *m_stream;
    QByteArray m_buffer;
    int m_labelWidth = 0;
    bool m_written = false;
    bool m_failed = false;
};
