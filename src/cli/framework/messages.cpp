#include "messages.h"

#include "programname.h"
#include "streams.h"

Messages::Messages(const QString &commandName)
    : m_commandName(commandName)
    , m_prefix(QStringLiteral("%1 %2: ").arg(QLatin1String(programName), commandName))
{
}

void Messages::warn(const Streams &streams, const QStringList &warnings) const
{
    for (const QString &warning : warnings)
        print(streams, QStringLiteral("warning: %1").arg(warning));
}

void Messages::print(const Streams &streams, const QString &message) const
{
    printLine(streams, m_prefix + message);
}

ExitStatus Messages::usage(const Streams &streams, const QString &message) const
{
    print(streams, message);
    printLine(streams,
              QStringLiteral("Try '%1 %2 --help' for more information.")
                      .arg(QLatin1String(programName), m_commandName));
    return ExitStatus::usage;
}

ExitStatus Messages::outputFailure(const Streams &streams, const QString &reason) const
{
    return failedWrite(streams, QStringLiteral("cannot write the output: %1").arg(reason));
}

ExitStatus Messages::failedWrite(const Streams &streams, const QString &message) const
{
    print(streams, message);
    return ExitStatus::outputFailed;
}

std::optional<ExitStatus> Messages::endedBadly(const Streams &streams, const RunEnd &end) const
{
    if (end.status != ExitStatus::notWorkedOut && end.status != ExitStatus::outputFailed)
        return std::nullopt;
    print(streams, end.message.value_or(QString()));
    return end.status;
}
