#include "recordsink.h"

#include "streams.h"

namespace {

constexpr std::size_t bufferSize = 1 << 16;

} // namespace

RecordSink::RecordSink(const ResultTable &results, const QStringList &passThroughNames,
                       ByteSink &sink)
    : m_results(results.specs()), m_passThroughNames(passThroughNames), m_sink(sink)
{
    m_buffer.room(bufferSize + 1024);
}

RecordSink::~RecordSink() = default;

void RecordSink::record(const FieldList &passThrough, const Results &results)
{
    write(passThrough, &results, {});
    flushIfFull();
}

void RecordSink::error(const FieldList &passThrough, const QString &message)
{
    write(passThrough, nullptr, message);
    flushIfFull();
}

void RecordSink::flushIfFull()
{
    if (m_buffer.size() >= bufferSize)
        flush();
}

bool RecordSink::flush()
{
    if (!m_failed && m_buffer.size() > 0
        && !m_sink.write(m_buffer.data(), static_cast<qint64>(m_buffer.size())))
        m_failed = true;
    m_buffer.clear();
    return !m_failed;
}
