#include "stop_on_signal.h"

#include "output_file.h"

#include <atomic>
#include <csignal>
#include <pthread.h>

namespace tallux::cli {

namespace {

constexpr int signals[] = {SIGINT, SIGTERM, SIGHUP};

std::atomic<int> noted{0};
static_assert(std::atomic<int>::is_always_lock_free, "set from a signal handler");

// Removes the temporary files, then ends the process as the signal would.
void endCleanly(int signal)
{
    removePendingFiles();
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

// The first signal is noted; a second one ends the run at once.
void note(int signal)
{
    if (noted.exchange(signal, std::memory_order_relaxed) != 0) endCleanly(signal);
}

// Sets `handler` for each signal that is not ignored: one ignored when the
// program started (nohup) stays ignored.
void handle(void (*handler)(int), struct sigaction* old)
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a read that waits returns, so the run notices.
    for (int i = 0; i < 3; ++i) {
        struct sigaction was {};
        sigaction(signals[i], nullptr, &was);
        if (old != nullptr) old[i] = was;
        if (was.sa_handler != SIG_IGN) sigaction(signals[i], &action, nullptr);
    }
}

sigset_t signalSet()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int s : signals) sigaddset(&set, s);
    return set;
}

} // namespace

void removeFilesOnSignal()
{
    handle(endCleanly, nullptr);
}

StopOnSignal::StopOnSignal()
{
    noted = 0;
    handle(note, old_);
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
