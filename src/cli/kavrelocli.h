#pragma once

// kavrelo-cli itself: the list of its commands (commands/) and a whole run.

#include "command.h"

#include <QStringList>

#include <memory>
#include <vector>

struct Streams;

// Every command, in the order the help lists them.
std::vector<std::unique_ptr<const Command>> makeCommands();

QString programHelpText(const std::vector<std::unique_ptr<const Command>> &commands);

// A whole run of kavrelo-cli: the arguments after the program's name.
ExitStatus runKavreloCli(const QStringList &arguments, const Streams &streams);
