#include "osmtags.h"

#include <QStringView>

namespace {

// Reads a value from its start, a piece at a time.
class TagScanner
{
public:
    explicit TagScanner(QStringView text) : m_rest(text) { }

    bool atEnd() const { return m_rest.isEmpty(); }
    void skipBlanks()
    {
        while (!m_rest.isEmpty() && m_rest.front().isSpace())
            m_rest = m_rest.mid(1);
    }
    // Digits with one point at most, and at least one digit: no sign, no
    // exponent, no comma, which mappers mean as a point as often as not.
    std::optional<double> number()
    {
        int length = 0;
        int digits = 0;
        bool point = false;
        while (length < m_rest.size()) {
            const QChar c = m_rest.at(length);
            if (c.isDigit() && c.unicode() < 128)
                ++digits;
            else if (c == QLatin1Char('.') && !point)
                point = true;
            else
                break;
            ++length;
        }
        if (digits == 0)
            return std::nullopt;
        bool ok = false;
        const double value = m_rest.left(length).toString().toDouble(&ok);
        m_rest = m_rest.mid(length);
        return ok ? std::optional<double>(value) : std::nullopt;
    }
    // A unit's word, in any case, when it is the whole of the next word.
    bool take(QLatin1String word)
    {
        if (!m_rest.startsWith(word, Qt::CaseInsensitive))
            return false;
        const QStringView after = m_rest.mid(word.size());
        if (!after.isEmpty() && after.front().isLetter())
            return false;
        m_rest = after;
        return true;
    }

private:
    QStringView m_rest;
};

} // namespace

QString firstTagValue(const QString &value)
{
    const int semicolon = value.indexOf(QLatin1Char(';'));
    return (semicolon < 0 ? value : value.left(semicolon)).trimmed();
}

std::optional<double> tagMetres(const QString &value)
{
    const QString first = firstTagValue(value);
    TagScanner scan(first);
    const auto number = scan.number();
    if (!number)
        return std::nullopt;
    scan.skipBlanks();
    if (scan.atEnd())
        return number;
    if (scan.take(QLatin1String("m"))) {
        scan.skipBlanks();
        return scan.atEnd() ? number : std::nullopt;
    }
    if (!scan.take(QLatin1String("'")) && !scan.take(QLatin1String("ft")))
        return std::nullopt;
    // International feet and inches, exact by definition.
    const double feet = *number * 0.3048;
    scan.skipBlanks();
    if (scan.atEnd())
        return feet;
    const auto inches = scan.number();
    scan.skipBlanks();
    if (!inches || *inches >= 12.0
        || (!scan.take(QLatin1String("\"")) && !scan.take(QLatin1String("in"))))
        return std::nullopt;
    scan.skipBlanks();
    return scan.atEnd() ? std::optional<double>(feet + *inches * 0.0254) : std::nullopt;
}

std::optional<double> tagCount(const QString &value)
{
    const QString first = firstTagValue(value);
    TagScanner scan(first);
    const auto number = scan.number();
    scan.skipBlanks();
    return scan.atEnd() ? number : std::nullopt;
}

TagBearing tagBearing(const QString &key, const QString &value)
{
    const QString first = firstTagValue(value);
    if (first.isEmpty())
        return {std::nullopt, QStringLiteral("%1 is empty").arg(key)};
    // A sweep's two ends ("180-360", "NE-SE"); a minus sign alone leads.
    if (first.indexOf(QLatin1Char('-'), 1) > 0)
        return {std::nullopt,
                QStringLiteral("%1=%2 is a range that the camera pans over, not one bearing")
                        .arg(key, first)};
    return {first, std::nullopt};
}
