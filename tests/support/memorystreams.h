#pragma once

#include "streams.h"

#include <QByteArray>
#include <QList>

#include <algorithm>
#include <cstring>

// Input from memory, handed over at most chunkSize bytes per read as a slow
// pipe would, so records and byte order marks arrive split; its end may be
// a signal that came while the reader waited for more.
class MemorySource : public ByteSource
{
public:
    enum class End { endOfInput, signal };

    explicit MemorySource(QByteArray data, int chunkSize = 1 << 30, End end = End::endOfInput)
        : m_data(std::move(data)), m_chunkSize(chunkSize), m_end(end)
    {
    }

    qint64 read(char *data, qint64 size) override
    {
        const auto count = std::min({size, qint64(m_chunkSize), qint64(m_data.size() - m_at)});
        std::memcpy(data, m_data.constData() + m_at, static_cast<std::size_t>(count));
        m_at += static_cast<int>(count);
        ++reads;
        return count;
    }
    QString errorString() const override { return {}; }
    bool interrupted() const override { return m_end == End::signal && m_at == m_data.size(); }

    int reads = 0;

private:
    QByteArray m_data;
    int m_chunkSize;
    End m_end;
    int m_at = 0;
};

// Output into memory, one entry per write; or a sink that refuses every write.
class MemorySink : public ByteSink
{
public:
    explicit MemorySink(bool failing = false) : m_failing(failing) { }

    bool write(const char *data, qint64 size) override
    {
        if (m_failing)
            return false;
        writes << QByteArray(data, static_cast<int>(size));
        return true;
    }
    QString errorString() const override { return QStringLiteral("No space left on device"); }
    QByteArray all() const { return writes.join(); }

    QList<QByteArray> writes;

private:
    bool m_failing;
};
