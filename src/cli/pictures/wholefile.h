#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// A file written whole or not at all: into a new file beside it, synced,
// then renamed over it, so that a full disk or a failed write leaves the
// old file as it was. Through a link, the file it names is replaced. The
// message, with the system's reason, if it could not be written.
std::optional<QString> writeWholeFile(const QString &path, const QByteArray &bytes);
