#include "kavrelocli.h"
#include "streams.h"

#include <unistd.h>

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int index = 1; index < argc; ++index)
        arguments << QString::fromLocal8Bit(argv[index]);
    FileDescriptorSource input(STDIN_FILENO);
    FileDescriptorSink output(STDOUT_FILENO);
    FileDescriptorSink errors(STDERR_FILENO);
    return static_cast<int>(runKavreloCli(arguments, {input, output, errors}));
}
