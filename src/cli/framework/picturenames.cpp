#include "picturenames.h"

QString PictureNames::next(const FieldList &passThrough, qint64 line)
{
    QString name = passThrough.empty() ? QString() : fieldText(passThrough.front());
    // Surrogates are no letters, so what stays is whole characters.
    int bytes = 0;
    int kept = 0;
    for (QChar &c : name) {
        if (!c.isLetterOrNumber() && c != QLatin1Char('-') && c != QLatin1Char('_'))
            c = QLatin1Char('_');
        bytes += c.unicode() < 0x80 ? 1 : c.unicode() < 0x800 ? 2 : 3;
        if (bytes > maximumBytes)
            break;
        ++kept;
    }
    name.truncate(kept);
    const QString lineName = QStringLiteral("line-%1").arg(line);
    if (name.isEmpty())
        name = lineName;
    if (m_taken.contains(name))
        name += QLatin1Char('-') + lineName;
    m_taken.insert(name);
    return name;
}
