#include "kavrelocli.h"

#include "coveragecommand.h"
#include "densitycommand.h"
#include "distancecommand.h"
#include "footprintcommand.h"
#include "fovcommand.h"
#include "helplayout.h"
#include "lenscommand.h"
#include "mountcommand.h"
#include "programname.h"
#include "reportcommand.h"
#include "streams.h"

#include <algorithm>

namespace {

ExitStatus usageError(const Streams &streams, const QString &message)
{
    const QLatin1String program(programName);
    printLine(streams, QStringLiteral("%1: %2").arg(program, message));
    printLine(streams, QStringLiteral("Try '%1 --help' for more information.").arg(program));
    return ExitStatus::usage;
}

ExitStatus print(const Streams &streams, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    if (streams.output.write(bytes.constData(), bytes.size()))
        return ExitStatus::success;
    printLine(streams,
              QStringLiteral("%1: cannot write the output: %2")
                      .arg(QLatin1String(programName), streams.output.errorString()));
    return ExitStatus::outputFailed;
}

} // namespace

std::vector<std::unique_ptr<const Command>> makeCommands()
{
    std::vector<std::unique_ptr<const Command>> commands;
    commands.push_back(std::make_unique<FovCommand>());
    commands.push_back(std::make_unique<DistanceCommand>());
    commands.push_back(std::make_unique<DensityCommand>());
    commands.push_back(std::make_unique<LensCommand>());
    commands.push_back(std::make_unique<MountCommand>());
    commands.push_back(std::make_unique<FootprintCommand>());
    commands.push_back(std::make_unique<CoverageCommand>());
    commands.push_back(std::make_unique<ReportCommand>());
    return commands;
}

QString programHelpText(const std::vector<std::unique_ptr<const Command>> &commands)
{
    const QLatin1String program(programName);
    QVector<std::pair<QString, QString>> commandRows;
    for (const auto &command : commands)
        commandRows.append({command->name(), command->summary()});
    return QStringLiteral(
                   "Usage: %1 COMMAND [options]\n"
                   "Angles of view, target distances, pixel density, lens sizing and mounting for "
                   "cameras.\n\nCommands:\n")
                   .arg(program)
            + helpRows(commandRows) + QStringLiteral("\nOptions:\n")
            + helpRows({{QStringLiteral("-h, --help"), QStringLiteral("Show this help and exit.")},
                        {QStringLiteral("-v, --version"),
                         QStringLiteral("Show the version and exit.")}})
            + QStringLiteral("\n'%1 COMMAND --help' describes a command's options.\n").arg(program);
}

ExitStatus runKavreloCli(const QStringList &arguments, const Streams &streams)
{
    const auto commands = makeCommands();
    const auto findCommand = [&](const QString &name) {
        return std::find_if(commands.cbegin(), commands.cend(),
                            [&](const auto &command) { return command->name() == name; });
    };
    if (arguments.isEmpty())
        return usageError(streams, QStringLiteral("no command given"));
    const QString &first = arguments.first();
    if (first == QLatin1String("-h") || first == QLatin1String("--help"))
        return print(streams, programHelpText(commands));
    if (first == QLatin1String("-v") || first == QLatin1String("--version"))
        return print(streams,
                     QStringLiteral("%1 " KAVRELO_VERSION "\n").arg(QLatin1String(programName)));
    const auto command = findCommand(first);
    if (command != commands.cend())
        return (*command)->execute(arguments.mid(1), streams);
    if (!first.startsWith(QLatin1Char('-')))
        return usageError(streams, QStringLiteral("unknown command '%1'").arg(first));
    // "kavrelo-cli --format csv fov ...": the options belong to the command.
    const auto named = std::find_if(arguments.cbegin(), arguments.cend(), [&](const QString &word) {
        return findCommand(word) != commands.cend();
    });
    if (named == arguments.cend())
        return usageError(streams, QStringLiteral("unknown option '%1'").arg(first));
    QStringList reordered = arguments;
    reordered.move(static_cast<int>(named - arguments.cbegin()), 0);
    return usageError(streams,
                      QStringLiteral("options go after the command, as in '%1 %2'")
                              .arg(QLatin1String(programName), reordered.join(QLatin1Char(' '))));
}
