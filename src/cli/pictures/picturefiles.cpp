#include "picturefiles.h"

#include "readfiles.h"
#include "streams.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <climits>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// /dev/stdout, or any other name for the file the results go to.
bool isStandardStream(const struct stat &file)
{
    for (const int descriptor : {STDOUT_FILENO, STDERR_FILENO}) {
        struct stat stream = {};
        if (::fstat(descriptor, &stream) == 0 && sameFile(stream, file))
            return true;
    }
    return false;
}

} // namespace

std::optional<QString> refusesPictureFile(const QString &path)
{
    struct stat file = {};
    if (::stat(QFile::encodeName(path).constData(), &file) != 0)
        return std::nullopt; // a new path, or one whose trouble the write will name
    if (!S_ISREG(file.st_mode))
        return cannotWrite(path, QStringLiteral("not a regular file"));
    if (isStandardStream(file))
        return cannotWrite(path, QStringLiteral("it is where the results go"));
    return std::nullopt;
}

std::optional<QString> refusesPictureFolder(const QString &path)
{
    struct stat folder = {};
    if (::stat(QFile::encodeName(path).constData(), &folder) == 0 && !S_ISDIR(folder.st_mode))
        return cannotWrite(path, QStringLiteral("not a folder"));
    return std::nullopt;
}

std::optional<QString> makeFolder(const QString &path)
{
    const QString absolute = QDir::cleanPath(QDir::current().absoluteFilePath(path));
    QString made;
    for (const QString &part : absolute.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        made += QLatin1Char('/') + part;
        if (::mkdir(QFile::encodeName(made).constData(), 0777) != 0 && errno != EEXIST)
            return QStringLiteral("cannot make the folder %1: %2")
                    .arg(path, systemErrorText(errno));
    }
    if (const auto refusal = refusesPictureFolder(path))
        return QStringLiteral("cannot make the folder %1: a file of that name is there").arg(path);
    return std::nullopt;
}

std::optional<QString> unnameablePicture(const QString &path)
{
    const QFileInfo file(QDir::current().absoluteFilePath(path));
    const QByteArray folder = QFile::encodeName(file.absolutePath());
    const long nameMaximum = ::pathconf(folder.constData(), _PC_NAME_MAX);
    // The picture is first written beside its place under a name seven
    // bytes longer, then renamed.
    constexpr int temporarySuffix = 7;
    const qsizetype nameBytes = QFile::encodeName(file.fileName()).size() + temporarySuffix;
    const qsizetype pathBytes = QFile::encodeName(file.absoluteFilePath()).size() + temporarySuffix;
    if ((nameMaximum > 0 && nameBytes > nameMaximum) || pathBytes >= PATH_MAX)
        return QStringLiteral("cannot name its picture %1: the name is too long for the system")
                .arg(file.fileName());
    return std::nullopt;
}
