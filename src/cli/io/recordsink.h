#pragma once

// io/: records in and out: records from a RecordSource (the CSV reader),
// results to a RecordSink in one of the output formats (here), over byte
// streams, and the signals that stop a batch between records.

#include "fieldtext.h"
#include "outputbuffer.h"
#include "results.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

class ByteSink;

// Where a run's records go, in one format: begin() once, then record() or
// error() for each calculation, and finish() once at the end, where a
// format that wraps its records closes them. Records collect in a buffer
// that goes to the byte sink in whole records only: when it is full, and
// whenever the caller flushes.
class RecordSink
{
public:
    RecordSink(const ResultTable &results, const QStringList &passThroughNames, ByteSink &sink);
    virtual ~RecordSink();
    RecordSink(const RecordSink &) = delete;
    RecordSink &operator=(const RecordSink &) = delete;

    virtual void begin() { }
    void record(const FieldList &passThrough, const Results &results);
    void error(const FieldList &passThrough, const QString &message);
    virtual void finish() { }

    // Hands the buffered records to the sink; false once a write has failed.
    bool flush();
    bool failed() const { return m_failed; }
    // Whether begin() and finish() make one document around the records,
    // which is a document even without any.
    virtual bool wrapsRecords() const { return false; }

protected:
    // Hands the buffer on once it holds a buffer's worth, so that memory
    // stays flat for any number of records.
    void flushIfFull();
    // One record: results, or else the message of an error.
    virtual void write(const FieldList &passThrough, const Results *results, const QString &error)
            = 0;

    static const std::optional<double> &resultValue(const Results &results, int column)
    {
        return results.at(column);
    }

    const QVector<ResultSpec> &m_results;
    const QStringList m_passThroughNames;
    OutputBuffer m_buffer;

private:
    ByteSink &m_sink;
    bool m_failed = false;
};
