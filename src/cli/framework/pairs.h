#pragma once

#include <QString>

#include <optional>
#include <string_view>

// Two numbers written as one, as a resolution "1920x1080" or a size "1.8x0.5":
// split at the first x, X, * or multiplication sign, as text or as bytes.

struct TextPair
{
    QString first;
    QString second;
};

// Splits "1920x1080" (or "1920*1080", "1920\u00D71080") at the separator.
std::optional<TextPair> splitPair(const QString &text);

struct BytePair
{
    std::string_view first;
    std::string_view second;
};

std::optional<BytePair> splitPair(std::string_view bytes);
