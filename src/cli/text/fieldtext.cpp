#include "fieldtext.h"

#include <algorithm>

namespace {

constexpr char16_t byteOrderMarkCharacter = 0xFEFF;

} // namespace

QString fieldText(std::string_view bytes)
{
    if (isAscii(bytes))
        return QString::fromLatin1(bytes.data(), static_cast<int>(bytes.size()));
    int marks = 0;
    while (bytes.substr(0, utf8ByteOrderMark.size()) == utf8ByteOrderMark) {
        bytes.remove_prefix(utf8ByteOrderMark.size());
        ++marks;
    }
    return QString(marks, QChar(byteOrderMarkCharacter))
            + QString::fromUtf8(bytes.data(), static_cast<int>(bytes.size()));
}

bool isAscii(std::string_view bytes)
{
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}
