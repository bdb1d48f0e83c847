#include "streams.h"

#include "interruption.h"

#include <cerrno>
#include <cstring>

#include <unistd.h>

ByteSource::~ByteSource() = default;
ByteSink::~ByteSink() = default;

qint64 FileDescriptorSource::read(char *data, qint64 size)
{
    for (;;) {
        const ssize_t count = ::read(m_descriptor, data, static_cast<std::size_t>(size));
        if (count >= 0)
            return count;
        if (errno != EINTR) {
            m_errno = errno;
            return -1;
        }
        if (Interruption::pending() != 0)
            return 0;
    }
}

QString FileDescriptorSource::errorString() const
{
    return QString::fromLocal8Bit(std::strerror(m_errno));
}

bool FileDescriptorSink::write(const char *data, qint64 size)
{
    // A signal may cut a write short; the rest follows, so the record stays whole.
    while (size > 0) {
        const ssize_t count = ::write(m_descriptor, data, static_cast<std::size_t>(size));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            m_errno = errno;
            return false;
        }
        data += count;
        size -= count;
    }
    return true;
}

QString FileDescriptorSink::errorString() const
{
    return QString::fromLocal8Bit(std::strerror(m_errno));
}

void printLine(const Streams &streams, const QString &line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    streams.errors.write(bytes.constData(), bytes.size());
}
