#include "wholefile.h"

#include "readfiles.h"
#include "streams.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What a new file gets: the old one's permissions, else what the umask
// leaves of rw-rw-rw-, as for any file the program makes.
mode_t modeFor(const QByteArray &target)
{
    struct stat old = {};
    if (::stat(target.constData(), &old) == 0)
        return old.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool writeAll(int descriptor, const QByteArray &bytes)
{
    const char *at = bytes.constData();
    auto left = static_cast<std::size_t>(bytes.size());
    while (left > 0) {
        const ssize_t written = ::write(descriptor, at, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        at += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

} // namespace

std::optional<QString> writeWholeFile(const QString &path, const QByteArray &bytes)
{
    const QFileInfo given(path);
    const QString targetPath = given.isSymLink() ? given.symLinkTarget() : path;
    const QByteArray target = QFile::encodeName(targetPath);
    // Seven bytes longer, as the check of a name's length allows for.
    std::string temporary = target.toStdString() + ".XXXXXX";
    const int descriptor = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (descriptor < 0)
        return cannotWrite(path, systemErrorText(errno));
    const bool written = ::fchmod(descriptor, modeFor(target)) == 0 && writeAll(descriptor, bytes)
            && ::fsync(descriptor) == 0;
    const int writeError = errno;
    const bool closed = ::close(descriptor) == 0;
    const int closeError = errno;
    if (written && closed && ::rename(temporary.c_str(), target.constData()) == 0)
        return std::nullopt;
    const int reason = !written ? writeError : !closed ? closeError : errno;
    ::unlink(temporary.c_str());
    return cannotWrite(path, systemErrorText(reason));
}
