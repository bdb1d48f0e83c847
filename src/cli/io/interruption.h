#pragma once

// SIGINT and SIGTERM while a batch runs. The handler only notes the signal,
// so the batch stops between records, hands on the whole records it has and
// then ends by the same signal, as the shell expects. The first signal puts
// the default action back, so a second one ends the program at once.
class Interruption
{
public:
    Interruption();
    ~Interruption();
    Interruption(const Interruption &) = delete;
    Interruption &operator=(const Interruption &) = delete;

    // The signal that came, or 0.
    static int pending();
    // Whether one came: for long work to ask as it goes.
    static bool came() { return pending() != 0; }
    // Ends the program by the pending signal.
    [[noreturn]] void endProgram();
};
