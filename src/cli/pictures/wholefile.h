#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <string>
#include <vector>

// Files written whole or not at all: each into a new file beside it,
// synced, and only then all renamed over the old ones, so that a full disk,
// a failed write or a signal before the end leaves every old file as it
// was. Through a link, the file it names is replaced. Each message carries
// the system's reason.
class WholeFiles
{
public:
    WholeFiles() = default;
    // Removes what was written and not put in place.
    ~WholeFiles();
    WholeFiles(const WholeFiles &) = delete;
    WholeFiles &operator=(const WholeFiles &) = delete;

    // Writes the bytes beside the path, for put() to put in place.
    std::optional<QString> add(const QString &path, const QByteArray &bytes);
    // Puts every file added in place, unless SIGINT or SIGTERM has come:
    // then none. Neither signal comes between two of them.
    std::optional<QString> put();

private:
    struct Written
    {
        QString path;
        std::string temporary;
        QByteArray target;
    };
    std::vector<Written> m_written;
};

// One file, whole or not at all.
std::optional<QString> writeWholeFile(const QString &path, const QByteArray &bytes);
