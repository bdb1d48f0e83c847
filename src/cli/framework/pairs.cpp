#include "pairs.h"

#include <algorithm>

namespace {

// x, X and *, and the multiplication sign that the pictures write.
constexpr std::string_view pairSeparators = "xX*";
constexpr QChar multiplicationSign(0x00D7);
constexpr std::string_view multiplicationSignUtf8 = "\xC3\x97";

} // namespace

std::optional<TextPair> splitPair(const QString &text)
{
    const auto separator = std::find_if(text.begin(), text.end(), [](QChar c) {
        return c == multiplicationSign
                || (c.unicode() < 0x80
                    && pairSeparators.find(c.toLatin1()) != std::string_view::npos);
    });
    if (separator == text.end())
        return std::nullopt;
    const int at = static_cast<int>(separator - text.begin());
    return TextPair{text.left(at), text.mid(at + 1)};
}

std::optional<BytePair> splitPair(std::string_view bytes)
{
    // One pass for the separators and the multiplication sign's lead byte;
    // a resolution is split on every batch row.
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        const char c = bytes[at];
        if (c == 'x' || c == 'X' || c == '*')
            return BytePair{bytes.substr(0, at), bytes.substr(at + 1)};
        if (c == multiplicationSignUtf8[0]
            && bytes.compare(at, multiplicationSignUtf8.size(), multiplicationSignUtf8) == 0)
            return BytePair{bytes.substr(0, at), bytes.substr(at + multiplicationSignUtf8.size())};
    }
    return std::nullopt;
}
