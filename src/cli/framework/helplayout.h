#pragma once

#include <QString>
#include <QVector>

#include <utility>

// How kavrelo-cli's help is laid out: rows of a name and its description,
// the descriptions in a column and wrapped before the 80th character.

// "  name  description" lines.
QString helpRows(const QVector<std::pair<QString, QString>> &rows);

// "--name", or "-n" for a name of one letter.
QString dashed(const QString &name);
