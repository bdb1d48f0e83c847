#include "interruption.h"

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <iterator>

#include <pthread.h>
#include <signal.h>

namespace {

std::atomic<int> pendingSignal{0};
constexpr int handledSignals[] = {SIGINT, SIGTERM};
struct sigaction previousActions[std::size(handledSignals)];
bool installed[std::size(handledSignals)] = {};

extern "C" void noteSignal(int signal)
{
    pendingSignal.store(signal);
}

} // namespace

Interruption::Interruption()
{
    pendingSignal.store(0);
    for (std::size_t index = 0; index < std::size(handledSignals); ++index) {
        struct sigaction action = {};
        action.sa_handler = noteSignal;
        sigemptyset(&action.sa_mask);
        // No SA_RESTART: a read waiting on a pipe must return to be stopped.
        action.sa_flags = static_cast<int>(SA_RESETHAND);
        sigaction(handledSignals[index], nullptr, &previousActions[index]);
        // A signal the caller ignores (nohup, a background job) stays ignored.
        installed[index] = previousActions[index].sa_handler != SIG_IGN
                && sigaction(handledSignals[index], &action, nullptr) == 0;
    }
}

Interruption::~Interruption()
{
    for (std::size_t index = 0; index < std::size(handledSignals); ++index) {
        if (installed[index])
            sigaction(handledSignals[index], &previousActions[index], nullptr);
    }
}

int Interruption::pending()
{
    return pendingSignal.load();
}

void Interruption::endProgram()
{
    const int signal = pending();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    std::_Exit(128 + signal); // only if the signal is blocked
}

HeldSignals::HeldSignals()
{
    sigset_t held;
    sigemptyset(&held);
    for (const int signal : handledSignals)
        sigaddset(&held, signal);
    pthread_sigmask(SIG_BLOCK, &held, &m_before);
}

HeldSignals::~HeldSignals()
{
    pthread_sigmask(SIG_SETMASK, &m_before, nullptr);
}
