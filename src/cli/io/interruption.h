#pragma once

#include <signal.h>

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

// SIGINT and SIGTERM held back while it lives, so that one that comes is
// noted at its end rather than in the middle of what it guards; the mask
// before, for a wait that lets them in (ppoll).
class HeldSignals
{
public:
    HeldSignals();
    ~HeldSignals();
    HeldSignals(const HeldSignals &) = delete;
    HeldSignals &operator=(const HeldSignals &) = delete;

    const sigset_t &before() const { return m_before; }

private:
    sigset_t m_before;
};
