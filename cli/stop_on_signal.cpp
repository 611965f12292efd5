#include "stop_on_signal.h"

#include <atomic>
#include <pthread.h>

namespace tallux::cli {

namespace {

constexpr int signals[] = {SIGINT, SIGTERM, SIGHUP};

std::atomic<int> noted{0};
static_assert(std::atomic<int>::is_always_lock_free, "set from a signal handler");

void note(int signal)
{
    noted.store(signal, std::memory_order_relaxed);
}

sigset_t signalSet()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int s : signals) sigaddset(&set, s);
    return set;
}

} // namespace

StopOnSignal::StopOnSignal()
{
    noted = 0;
    struct sigaction action {};
    action.sa_handler = note;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a read that waits returns, so the run notices. The
    // handler is reset once it ran, so a second signal ends the process.
    action.sa_flags = static_cast<int>(SA_RESETHAND);
    for (int i = 0; i < 3; ++i) sigaction(signals[i], &action, &old_[i]);
}

StopOnSignal::~StopOnSignal()
{
    for (int i = 0; i < 3; ++i) sigaction(signals[i], &old_[i], nullptr);
}

int StopOnSignal::received() noexcept
{
    return noted.load(std::memory_order_relaxed);
}

StopOnSignal::Shield::Shield() noexcept
{
    const sigset_t set = signalSet();
    pthread_sigmask(SIG_BLOCK, &set, &old_);
}

StopOnSignal::Shield::~Shield()
{
    pthread_sigmask(SIG_SETMASK, &old_, nullptr);
}

const char* signalName(int signal) noexcept
{
    switch (signal) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    default: return "a signal";
    }
}

} // namespace tallux::cli
