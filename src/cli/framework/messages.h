#pragma once

#include "calculation.h"

#include <QString>

#include <optional>

struct Streams;

// A command's messages on standard error, each after "kavrelo-cli NAME: ",
// with the exit status that each kind of failure ends the run with.
class Messages
{
public:
    explicit Messages(const QString &commandName);

    // "kavrelo-cli fov: "
    const QString &prefix() const { return m_prefix; }
    void print(const Streams &streams, const QString &message) const;
    // Each after "warning: ".
    void warn(const Streams &streams, const QStringList &warnings) const;
    // With a pointer to the command's help.
    ExitStatus usage(const Streams &streams, const QString &message) const;
    ExitStatus outputFailure(const Streams &streams, const QString &reason) const;
    ExitStatus failedWrite(const Streams &streams, const QString &message) const;
    // The status of a run whose end failed, after its message; nothing
    // when the end went well.
    std::optional<ExitStatus> endedBadly(const Streams &streams, const RunEnd &end) const;

private:
    QString m_commandName;
    QString m_prefix;
};
