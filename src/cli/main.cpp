#include "kavrelocli.h"
#include "programname.h"
#include "streams.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace {

bool isOpen(int descriptor)
{
    return ::fcntl(descriptor, F_GETFD) != -1 || errno != EBADF;
}

} // namespace

int main(int argc, char *argv[])
{
    // A standard stream left closed would be the next file opened, so that
    // results or messages went into it: closed input and error read and
    // write nothing instead, and closed output is a failed write at once.
    for (const int descriptor : {STDIN_FILENO, STDERR_FILENO}) {
        if (!isOpen(descriptor))
            ::open("/dev/null", descriptor == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    }
    if (!isOpen(STDOUT_FILENO)) {
        const int closed = EBADF;
        std::fprintf(stderr, "%s: cannot write the output: %s\n", programName,
                     std::strerror(closed));
        return static_cast<int>(ExitStatus::outputFailed);
    }
    QStringList arguments;
    for (int index = 1; index < argc; ++index)
        arguments << QString::fromLocal8Bit(argv[index]);
    FileDescriptorSource input(STDIN_FILENO);
    FileDescriptorSink output(STDOUT_FILENO);
    FileDescriptorSink errors(STDERR_FILENO);
    return static_cast<int>(runKavreloCli(arguments, {input, output, errors}));
}
