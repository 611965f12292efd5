#pragma once

#include <csignal>

namespace tallux::cli {

// From now on SIGINT, SIGTERM and SIGHUP remove the temporary files of the
// pending files before they end the process as usual. A signal ignored when
// the program started (nohup) stays ignored, here and below.
void removeFilesOnSignal();

// While it lives, SIGINT, SIGTERM and SIGHUP do not end the process: the first
// one is noted, and a batch stops reading and finishes the lines it has read,
// so that no file is left half-made. A second one ends the process, its
// temporary files removed.
class StopOnSignal {
public:
    StopOnSignal();
    ~StopOnSignal();
    StopOnSignal(const StopOnSignal&) = delete;
    StopOnSignal& operator=(const StopOnSignal&) = delete;

    // The signal received, or 0.
    static int received() noexcept;

    // Threads started while a Shield lives do not take the signals, so they
    // reach the thread that reads, and interrupt a read that waits.
    class Shield {
    public:
        Shield() noexcept;
        ~Shield();
        Shield(const Shield&) = delete;
        Shield& operator=(const Shield&) = delete;

    private:
        sigset_t old_;
    };

private:
    struct sigaction old_[3];
};

// "SIGINT", "SIGTERM" or "SIGHUP".
const char* signalName(int signal) noexcept;

} // namespace tallux::cli
