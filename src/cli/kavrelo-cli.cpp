#include "densitycommand.h"
#include "distancecommand.h"
#include "fovcommand.h"
#include "lenscommand.h"

#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

std::vector<std::unique_ptr<Command>> makeCommands()
{
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(std::make_unique<FovCommand>());
    commands.push_back(std::make_unique<DistanceCommand>());
    commands.push_back(std::make_unique<DensityCommand>());
    commands.push_back(std::make_unique<LensCommand>());
    return commands;
}

void printHelp(const std::vector<std::unique_ptr<Command>> &commands)
{
    QString text = QStringLiteral(
            "Usage: kavrelo-cli COMMAND [options]\n"
            "Angles of view, target distances, pixel density and lens sizing for cameras.\n\n"
            "Commands:\n");
    for (const auto &command : commands)
        text += QStringLiteral("  %1  %2\n")
                        .arg(command->name().leftJustified(9), command->summary());
    text += QStringLiteral("\nOptions:\n"
                           "  -h, --help     Show this help and exit.\n"
                           "  -v, --version  Show the version and exit.\n\n"
                           "'kavrelo-cli COMMAND --help' describes a command's options.\n");
    std::fputs(text.toUtf8().constData(), stdout);
}

int usageError(const QString &message)
{
    printError(QStringLiteral("kavrelo-cli: %1").arg(message));
    printError(QStringLiteral("Try 'kavrelo-cli --help' for more information."));
    return exitUsage;
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int index = 1; index < argc; ++index)
        arguments << QString::fromLocal8Bit(argv[index]);

    const auto commands = makeCommands();
    if (arguments.isEmpty())
        return usageError(QStringLiteral("no command given"));
    const QString first = arguments.takeFirst();
    if (first == QLatin1String("-h") || first == QLatin1String("--help")) {
        printHelp(commands);
        return exitSuccess;
    }
    if (first == QLatin1String("-v") || first == QLatin1String("--version")) {
        std::puts("kavrelo-cli " KAVRELO_VERSION);
        return exitSuccess;
    }
    const auto command = std::find_if(commands.cbegin(), commands.cend(),
                                      [&](const auto &known) { return known->name() == first; });
    if (command == commands.cend())
        return usageError(QStringLiteral("unknown command '%1'").arg(first));
    return (*command)->execute(arguments);
}
