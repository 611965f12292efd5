#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool sanitized = true;
#else
constexpr bool sanitized = false;
#endif

struct ChildRun {
    int status = -1;
    long peakKilobytes = 0;
};

// Runs `tallux batch - --dry-run --jobs 2` with `lines` lines written into
// its standard input through a pipe; its standard error is dropped.
ChildRun batchThroughPipe(int lines)
{
    int fds[2];
    if (::pipe(fds) != 0) return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(fds[0], STDIN_FILENO);
        ::close(fds[0]);
        ::close(fds[1]);
        if (std::FILE* null = std::freopen("/dev/null", "w", stderr); null == nullptr) ::_exit(126);
        // The sanitizer keeps freed memory for a while; keep that small so
        // that the peak shows what the command holds.
        ::setenv("ASAN_OPTIONS", "quarantine_size_mb=8:detect_leaks=0", 1);
        ::execl(TALLUX_CLI_PATH, "tallux", "batch", "-", "--dry-run", "--jobs", "2", "--keep-going",
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[0]);
    std::signal(SIGPIPE, SIG_IGN);
    std::string block;
    for (int i = 0; i < lines; ++i) {
        block += "code39,A" + std::to_string(i % 1000) + ",text=0\n";
        if (block.size() > 60000 || i + 1 == lines) {
            for (std::size_t done = 0; done < block.size();) {
                const ssize_t n = ::write(fds[1], block.data() + done, block.size() - done);
                if (n < 0 && errno == EINTR) continue;
                if (n < 0) break;
                done += static_cast<std::size_t>(n);
            }
            block.clear();
        }
    }
    ::close(fds[1]);
    ChildRun run;
    struct rusage usage {};
    int status = 0;
    if (::wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status)) {
        run.status = WEXITSTATUS(status);
        run.peakKilobytes = usage.ru_maxrss;
    }
    return run;
}

// Lines stream through a bounded queue: many lines need no more memory than
// few. A sanitized build runs fewer lines to stay quick; the release build
// takes 100,000.
TEST(BatchMemory, ManyLinesThroughAPipeKeepThePeakFlat)
{
    // Under valgrind the peak is valgrind's own and says nothing of ours.
    if (const char* preload = std::getenv("LD_PRELOAD");
        preload != nullptr && std::string(preload).find("vgpreload") != std::string::npos)
        GTEST_SKIP() << "the peak of a process under valgrind is valgrind's";
    const int many = sanitized ? 10'000 : 100'000;
    const ChildRun few = batchThroughPipe(500);
    const ChildRun lots = batchThroughPipe(many);
    ASSERT_EQ(few.status, 0);
    ASSERT_EQ(lots.status, 0);
    EXPECT_LT(lots.peakKilobytes - few.peakKilobytes, 16 * 1024)
        << few.peakKilobytes << " KB for 500 lines, " << lots.peakKilobytes << " KB for " << many;
    if (!sanitized) {
        EXPECT_LT(lots.peakKilobytes, 100 * 1024);
    }
}

} // namespace
