#include "textappend.h"

#include "numbertext.h"

#include <cstdio>

QString fixed(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

QString unitAfterNumber(const QString &unit)
{
    if (unit.isEmpty() || unit == QStringLiteral("\u00B0"))
        return unit;
    return QLatin1Char(' ') + unit;
}

void appendFixedLikeQt(OutputBuffer &out, double value, int decimals)
{
    out += fixed(value, decimals).toStdString();
}

void appendCsvField(OutputBuffer &line, std::string_view field)
{
    appendAsUtf8(field, [&line](std::string_view bytes) {
        if (bytes.find_first_of(",\"\r\n") == std::string_view::npos) {
            line += bytes;
            return;
        }
        line += '"';
        for (const char c : bytes) {
            if (c == '"')
                line += '"';
            line += c;
        }
        line += '"';
    });
}

void appendJsonString(OutputBuffer &line, std::string_view field)
{
    line += '"';
    appendAsUtf8(field, [&line](std::string_view bytes) {
        for (const char c : bytes) {
            switch (c) {
            case '"':
                line += "\\\"";
                break;
            case '\\':
                line += "\\\\";
                break;
            case '\n':
                line += "\\n";
                break;
            case '\r':
                line += "\\r";
                break;
            case '\t':
                line += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escaped[8];
                    line += std::string_view(
                            escaped,
                            static_cast<std::size_t>(std::snprintf(
                                    escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c))));
                } else {
                    line += c;
                }
            }
        }
    });
    line += '"';
}
