#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// GDAL's messages for as long as this lives, on this thread, kept instead
// of printed: GDAL would write them raw to standard error, and the program
// says them in its own words, each once. Its debug output is left out.
class GdalMessages
{
public:
    GdalMessages();
    ~GdalMessages();
    GdalMessages(const GdalMessages &) = delete;
    GdalMessages &operator=(const GdalMessages &) = delete;

    // The last failure GDAL reported, if any.
    const std::optional<QString> &lastError() const { return m_lastError; }
    // Its warnings, each once, in the order they came.
    const QStringList &warnings() const { return m_warnings; }

    // For GDAL's handler alone.
    void take(bool failure, const char *message);

private:
    std::optional<QString> m_lastError;
    QStringList m_warnings;
};
