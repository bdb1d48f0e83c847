#pragma once

#include <QString>
#include <QtGlobal>

// Where the command line reads its batches and writes its records and
// messages: file descriptors in a real run, memory in the tests.
class ByteSource
{
public:
    virtual ~ByteSource();
    // Whatever has arrived, up to size bytes, waiting only while nothing has;
    // 0 at the end (or once SIGINT or SIGTERM came while waiting); -1 on an
    // error.
    virtual qint64 read(char *data, qint64 size) = 0;
    virtual QString errorString() const = 0;
    // Whether the last 0 from read() came from a signal rather than the end.
    virtual bool interrupted() const { return false; }
    // The file descriptor read, or -1 for memory.
    virtual int descriptor() const { return -1; }
};

class ByteSink
{
public:
    virtual ~ByteSink();
    // All of it, or false.
    virtual bool write(const char *data, qint64 size) = 0;
    virtual QString errorString() const = 0;
    // Whether a person watches it, for progress that a file would not want.
    virtual bool isTerminal() const { return false; }
};

// read(2) rather than stdio or QFile, which both wait for a full buffer on a
// pipe, so rows that have arrived are answered before the next wait.
class FileDescriptorSource : public ByteSource
{
public:
    explicit FileDescriptorSource(int descriptor) : m_descriptor(descriptor) { }

    qint64 read(char *data, qint64 size) override;
    QString errorString() const override;
    bool interrupted() const override { return m_interrupted; }
    int descriptor() const override { return m_descriptor; }

private:
    int m_descriptor;
    int m_errno = 0;
    bool m_interrupted = false;
};

// write(2) in a loop, so each call's bytes all go out together: a record is
// never split across buffers the way stdio splits them.
class FileDescriptorSink : public ByteSink
{
public:
    explicit FileDescriptorSink(int descriptor) : m_descriptor(descriptor) { }

    bool write(const char *data, qint64 size) override;
    QString errorString() const override;
    bool isTerminal() const override;

private:
    int m_descriptor;
    int m_errno = 0;
};

struct Streams
{
    ByteSource &input;
    ByteSink &output;
    ByteSink &errors;
};

// The system's words for an errno value.
QString systemErrorText(int errorNumber);

// Writes a message line to the errors stream.
void printLine(const Streams &streams, const QString &line);
