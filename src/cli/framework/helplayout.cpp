#include "helplayout.h"

#include <QStringList>

#include <algorithm>

namespace {

constexpr int helpWidth = 79;

// Words joined into lines of at most width characters, the later ones
// indented to stand under the first.
QString wrapped(const QString &text, int width, int indent)
{
    QString lines;
    int lineLength = 0;
    for (const QString &word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (lineLength > 0 && lineLength + 1 + word.size() > width) {
            lines += QLatin1Char('\n') + QString(indent, QLatin1Char(' '));
            lineLength = 0;
        } else if (lineLength > 0) {
            lines += QLatin1Char(' ');
            ++lineLength;
        }
        lines += word;
        lineLength += word.size();
    }
    return lines;
}

} // namespace

QString dashed(const QString &name)
{
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

QString helpRows(const QVector<std::pair<QString, QString>> &rows)
{
    int width = 0;
    for (const auto &row : rows)
        width = std::max(width, row.first.size());
    // Descriptions stand in a column and wrap before the 80th character.
    const int indent = width + 4;
    QString text;
    for (const auto &[name, description] : rows)
        text += QStringLiteral("  %1  %2\n")
                        .arg(name.leftJustified(width),
                             wrapped(description, helpWidth - indent, indent));
    return text;
}
