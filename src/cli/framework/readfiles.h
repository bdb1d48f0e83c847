#pragma once

#include <QString>

#include <optional>

#include <sys/stat.h>

// The files a run reads are never written over: a picture, a report or a
// file of gaps at the path of the batch or the site is refused before
// anything is computed. Each function gives the message, or nothing when
// all is well.

// Whether two stats are of one file.
bool sameFile(const struct stat &one, const struct stat &other);
// Whether a file exists at the path, and what it is.
bool existingFile(const QString &path, struct stat &file);
// "cannot write PATH: REASON"
QString cannotWrite(const QString &path, const QString &reason);

// Whether two paths name one file: the same file where both exist (through
// a link, say), else the same path once made absolute and clean.
bool namesOneFile(const QString &one, const QString &other);

// A file to write at the batch open at a descriptor, or at a file read by
// name, such as the site; what: "batch" or "site".
std::optional<QString> refusesReadFile(const QString &path, int descriptor, const QString &what);
std::optional<QString> refusesReadFile(const QString &path, const QString &read,
                                       const QString &what);
