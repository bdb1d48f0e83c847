#include "readfiles.h"

#include <QDir>
#include <QFile>

bool sameFile(const struct stat &one, const struct stat &other)
{
    return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

bool existingFile(const QString &path, struct stat &file)
{
    return ::stat(QFile::encodeName(path).constData(), &file) == 0;
}

QString cannotWrite(const QString &path, const QString &reason)
{
    return QStringLiteral("cannot write %1: %2").arg(path, reason);
}

bool namesOneFile(const QString &one, const QString &other)
{
    struct stat first = {};
    struct stat second = {};
    if (existingFile(one, first) && existingFile(other, second))
        return sameFile(first, second);
    const auto absolute = [](const QString &path) {
        return QDir::cleanPath(QDir::current().absoluteFilePath(path));
    };
    return absolute(one) == absolute(other);
}

std::optional<QString> refusesReadFile(const QString &path, int descriptor, const QString &what)
{
    struct stat file = {};
    struct stat read = {};
    if (existingFile(path, file) && ::fstat(descriptor, &read) == 0 && sameFile(file, read))
        return cannotWrite(path, QStringLiteral("it is the %1 being read").arg(what));
    return std::nullopt;
}

std::optional<QString> refusesReadFile(const QString &path, const QString &read,
                                       const QString &what)
{
    struct stat file = {};
    struct stat other = {};
    if (existingFile(path, file) && existingFile(read, other) && sameFile(file, other))
        return cannotWrite(path, QStringLiteral("it is the %1 being read").arg(what));
    return std::nullopt;
}
