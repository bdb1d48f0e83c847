#include "dxfheader.h"

#include <QFile>

namespace {

// A DXF in text is pairs of lines, a group code and its value.
struct Pair
{
    int code = -1;
    QByteArray value;
};

bool readPair(QIODevice &file, Pair &pair)
{
    if (file.atEnd())
        return false;
    bool ok = false;
    pair.code = file.readLine(64).trimmed().toInt(&ok);
    if (!ok || file.atEnd())
        return false;
    pair.value = file.readLine(4096).trimmed();
    return true;
}

} // namespace

std::optional<int> drawingUnits(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return drawingUnits(file);
}

std::optional<int> drawingUnits(QIODevice &file)
{
    Pair pair;
    bool inHeader = false;
    while (readPair(file, pair)) {
        if (pair.code == 0 && pair.value == "ENDSEC" && inHeader)
            return std::nullopt;
        if (pair.code == 2 && !inHeader) {
            // The header comes first, if at all.
            if (pair.value != "HEADER")
                return std::nullopt;
            inHeader = true;
        }
        if (inHeader && pair.code == 9 && pair.value == "$INSUNITS") {
            if (!readPair(file, pair) || pair.code != 70)
                return std::nullopt;
            bool ok = false;
            const int units = pair.value.toInt(&ok);
            return ok ? std::optional<int>(units) : std::nullopt;
        }
    }
    return std::nullopt;
}
