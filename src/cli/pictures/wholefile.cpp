#include "wholefile.h"

#include "interruption.h"
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

WholeFiles::~WholeFiles()
{
    for (const Written &file : m_written)
        ::unlink(file.temporary.c_str());
}

std::optional<QString> WholeFiles::add(const QString &path, const QByteArray &bytes)
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
    if (!written || !closed) {
        ::unlink(temporary.c_str());
        return cannotWrite(path, systemErrorText(!written ? writeError : closeError));
    }
    m_written.push_back({path, std::move(temporary), target});
    return std::nullopt;
}

std::optional<QString> WholeFiles::put()
{
    const HeldSignals held;
    std::optional<QString> problem;
    if (Interruption::came())
        problem = QStringLiteral("a signal came before the files were put in place");
    while (!problem && !m_written.empty()) {
        const Written &file = m_written.front();
        if (::rename(file.temporary.c_str(), file.target.constData()) != 0) {
            problem = cannotWrite(file.path, systemErrorText(errno));
            break;
        }
        m_written.erase(m_written.begin());
    }
    return problem;
}

std::optional<QString> writeWholeFile(const QString &path, const QByteArray &bytes)
{
    WholeFiles file;
    if (const auto problem = file.add(path, bytes))
        return problem;
    return file.put();
}
