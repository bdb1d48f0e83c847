#include "streams.h"

#include "interruption.h"

#include <cerrno>
#include <cstring>

#include <csignal>

#include <poll.h>
#include <signal.h>
#include <unistd.h>

ByteSource::~ByteSource() = default;
ByteSink::~ByteSink() = default;

qint64 FileDescriptorSource::read(char *data, qint64 size)
{
    // SIGINT and SIGTERM stay blocked from the check until ppoll waits, so
    // one that comes in between ends the wait instead of being missed.
    const HeldSignals held;
    qint64 result = -1;
    for (;;) {
        if (Interruption::pending() != 0) {
            m_interrupted = true;
            result = 0;
            break;
        }
        pollfd descriptor{m_descriptor, POLLIN, 0};
        if (ppoll(&descriptor, 1, nullptr, &held.before()) < 0 && errno != EINTR) {
            m_errno = errno;
            break;
        }
        if (Interruption::pending() != 0)
            continue;
        const ssize_t count = ::read(m_descriptor, data, static_cast<std::size_t>(size));
        if (count >= 0) {
            result = count;
            break;
        }
        if (errno != EINTR) {
            m_errno = errno;
            break;
        }
    }
    return result;
}

QString FileDescriptorSource::errorString() const
{
    return systemErrorText(m_errno);
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
    return systemErrorText(m_errno);
}

QString systemErrorText(int errorNumber)
{
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

void printLine(const Streams &streams, const QString &line)
{
    // One line, whatever it quotes from a file or the command line: a line
    // break there would start a line that is not the program's, and an
    // escape would speak to the terminal. A control character shows as its
    // code point.
    QString shown;
    shown.reserve(line.size());
    for (const QChar c : line) {
        if (c.category() == QChar::Other_Control)
            shown += QStringLiteral("<U+%1>").arg(
                    QStringLiteral("%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper());
        else
            shown += c;
    }
    const QByteArray bytes = shown.toUtf8() + '\n';
    streams.errors.write(bytes.constData(), bytes.size());
}

bool FileDescriptorSink::isTerminal() const
{
    return isatty(m_descriptor) == 1;
}
