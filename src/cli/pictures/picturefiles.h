#pragma once

// pictures/: where the pictures and files beside the records may go.

#include <QString>

#include <optional>

// Where pictures may go. A picture replaces the file at its path, so only a
// regular file (or a link to one) or a new path is taken: a FIFO, a device,
// a socket, a folder, the file that the results themselves go to and the
// files the run reads (readfiles.h) are refused. Each function gives the message, or
// nothing when all is well.

std::optional<QString> refusesPictureFile(const QString &path);
// A batch's folder of pictures: a folder, or a new path.
std::optional<QString> refusesPictureFolder(const QString &path);
// The folder and those above it, as mkdir -p makes them, with the reason it
// could not.
std::optional<QString> makeFolder(const QString &path);
// Why no file of this name can be made in its folder, if none can: the
// name or the whole path is longer than the system allows.
std::optional<QString> unnameablePicture(const QString &path);
