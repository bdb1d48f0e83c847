#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// What someone who mistyped an option most likely meant.

// Qt reads -resolution as the short options r, e, s, ...; whoever typed it
// meant --resolution, or an option that does not exist. The message, if so.
std::optional<QString> singleDashWord(const QStringList &arguments,
                                      const QList<QCommandLineOption> &options);
// The option someone who typed name most likely meant: the only one it
// begins, or else the closest within a third of its letters.
std::optional<QString> nearestOption(const QString &name, const QList<QCommandLineOption> &options);
