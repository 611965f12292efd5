// New files that appear only complete, and are taken back when dropped.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "batch_support.h"
#include "output_file.h"
#include "stop_on_signal.h"

namespace tallux::cli::test {
namespace {

// A folder descriptor for placing files relative to it; -1 for none.
struct HeldFolder {
    explicit HeldFolder(const std::string& path, bool held)
        : fd(held ? ::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC) : -1)
    {
    }
    ~HeldFolder()
    {
        if (fd >= 0) ::close(fd);
    }
    int fd;
};

// Named by its path, or relative to its folder held open: the same file.
TEST(PlacedFile, ANewFileAppearsWholeWithTheUsualPermissions)
{
    for (const bool held : {false, true}) {
        Scratch dir;
        const HeldFolder folder(dir.path, held);
        const std::string path = dir / "a.svg";
        std::optional<PlacedFile> placed = placeNewFile(path, "<svg/>\n", folder.fd);
        ASSERT_TRUE(placed.has_value()) << "this file system cannot hold unnamed files";
        EXPECT_EQ(placed->path(), path);
        placed->keep();
        placed.reset();
        EXPECT_EQ(filesIn(dir.path), (std::map<std::string, std::string>{{"a.svg", "<svg/>\n"}}));
        const mode_t mask = ::umask(022);
        ::umask(mask);
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
    }
}

TEST(PlacedFile, WhatIsThereAlreadyIsLeftToPendingFile)
{
    for (const bool held : {false, true}) {
        Scratch dir;
        writeFile(dir / "old.svg", "old");
        std::filesystem::create_directory(dir / "folder");
        const HeldFolder folder(dir.path, held);
        EXPECT_FALSE(placeNewFile(dir / "old.svg", "new", folder.fd).has_value());
        EXPECT_FALSE(placeNewFile(dir / "folder", "new", folder.fd).has_value());
        if (!held) {
            EXPECT_FALSE(placeNewFile(dir / "missing/a.svg", "new").has_value());
        }
        EXPECT_FALSE(placeNewFile(dir / "", "new", folder.fd).has_value());
        // Nothing written, nothing left behind.
        EXPECT_EQ(filesIn(dir.path),
                  (std::map<std::string, std::string>{{"folder", ""}, {"old.svg", "old"}}));
    }
}

TEST(PlacedFile, ADroppedFileIsTakenBackUnlessSomethingElseTookItsPlace)
{
    Scratch dir;
    {
        std::optional<PlacedFile> dropped = placeNewFile(dir / "dropped.svg", "x");
        ASSERT_TRUE(dropped.has_value());
        // Moved, it is taken back once, by its last owner.
        PlacedFile moved = std::move(*dropped);
        dropped.reset();
        EXPECT_TRUE(std::filesystem::exists(dir / "dropped.svg"));
    }
    {
        std::optional<PlacedFile> replaced = placeNewFile(dir / "replaced.svg", "x");
        ASSERT_TRUE(replaced.has_value());
        writeFile(dir / "other", "someone else's");
        std::filesystem::rename(dir / "other", dir / "replaced.svg");
    }
    EXPECT_EQ(filesIn(dir.path),
              (std::map<std::string, std::string>{{"replaced.svg", "someone else's"}}));
}

// What stands at the path decides what is replaced: a symlink's file (the
// link stays), a regular file (its mode and owner stay), a device or FIFO
// (written in place, never replaced).
TEST(PendingFile, ReplacesOnlyWhatShouldBeReplaced)
{
    Scratch dir;
    writeFile(dir / "real.png", "old");
    std::filesystem::create_symlink("real.png", dir / "link.png");
    std::filesystem::create_symlink("sub/new.png", dir / "dangling.png");
    std::filesystem::create_directory(dir / "sub");
    writeFile(dir / "private.png", "old");
    ::chmod((dir / "private.png").c_str(), 0600);
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0644), 0);

    struct Case {
        std::string written;      // the path given
        std::string changed;      // the file that holds the bytes afterwards
        std::string stillSymlink; // a link that must survive, or ""
        mode_t mode;              // the mode the changed file has afterwards
    };
    const Case cases[] = {
        /*0*/ {"link.png", "real.png", "link.png", 0644},
        /*1*/ {"dangling.png", "sub/new.png", "dangling.png", 0},
        /*2*/ {"private.png", "private.png", "", 0600},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.written);
        writeFileAtomically(dir / c.written, "new");
        EXPECT_EQ(readFile(dir / c.changed), "new");
        if (!c.stillSymlink.empty()) {
            EXPECT_TRUE(std::filesystem::is_symlink(dir / c.stillSymlink));
        }
        struct stat st {};
        ASSERT_EQ(::stat((dir / c.changed).c_str(), &st), 0);
        if (c.mode) {
            EXPECT_EQ(st.st_mode & 0777, c.mode);
        }
    }

    // A FIFO gets the bytes through itself and stays a FIFO.
    std::string fromFifo;
    std::thread reader([&] { fromFifo = readFile(dir / "fifo"); });
    writeFileAtomically(dir / "fifo", "streamed");
    reader.join();
    EXPECT_EQ(fromFifo, "streamed");
    EXPECT_TRUE(std::filesystem::is_fifo(dir / "fifo"));

    // A device is written, not replaced.
    writeFileAtomically("/dev/null", "nothing");
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));

    // A folder is refused with its reason, and nothing is left behind.
    EXPECT_THROW(writeFileAtomically(dir / "sub", "x"), OutputError);
    EXPECT_EQ(filesIn(dir / "sub"), (std::map<std::string, std::string>{{"new.png", "new"}}));

    // A descriptor named by the process's own names is written through as it
    // is open: a log opened for appending keeps its lines.
    writeFile(dir / "log", "old\n");
    const int log = ::open((dir / "log").c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(log, 3);
    const int savedError = ::dup(STDERR_FILENO);
    const std::string fd = std::to_string(log);
    for (const std::string& name :
         {"/dev/fd/" + fd, "/proc/self/fd/" + fd, std::string("/dev/stderr")}) {
        SCOPED_TRACE(name);
        ::dup2(log, STDERR_FILENO);
        writeFileAtomically(name, name + "\n");
        ::dup2(savedError, STDERR_FILENO);
    }
    ::close(savedError);
    ::close(log);
    EXPECT_EQ(readFile(dir / "log"),
              "old\n/dev/fd/" + fd + "\n/proc/self/fd/" + fd + "\n/dev/stderr\n");
    EXPECT_THROW(writeFileAtomically("/dev/fd/999", "x"), OutputError);
}

// A signal that ends the process removes its temporary files first; a signal
// ignored at the start (nohup, or a script's background job) stays ignored.
TEST(PendingFile, ASignalThatEndsTheProcessLeavesNoTemporaryFile)
{
    struct Case {
        int signal;
        bool ignoredBefore; // as nohup leaves SIGHUP
        bool batch;         // StopOnSignal lives: the first one is only noted
        int raised;         // how many times
        bool ends;
    };
    const Case cases[] = {
        /*0*/ {SIGTERM, false, false, 1, true},
        /*1*/ {SIGINT, false, true, 1, false},
        /*2*/ {SIGINT, false, true, 2, true},
        /*3*/ {SIGHUP, true, false, 1, false},
        /*4*/ {SIGHUP, true, true, 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(signalName(c.signal));
        Scratch dir;
        const auto run = [&] {
            if (c.ignoredBefore) std::signal(c.signal, SIG_IGN);
            removeFilesOnSignal();
            std::optional<StopOnSignal> stop;
            if (c.batch) stop.emplace();
            PendingFile file(dir / "label.png");
            file.write("half");
            for (int i = 0; i < c.raised; ++i) std::raise(c.signal);
            std::_Exit(
                StopOnSignal::received() == (c.batch && !c.ignoredBefore ? c.signal : 0) ? 0 : 1);
        };
        if (c.ends) {
            EXPECT_EXIT(run(), ::testing::KilledBySignal(c.signal), "");
        } else {
            EXPECT_EXIT(run(), ::testing::ExitedWithCode(0), "");
        }
        // A child that lived on exits without removing its temporary file.
        if (c.ends) {
            EXPECT_TRUE(filesIn(dir.path).empty());
        }
    }
}

} // namespace
} // namespace tallux::cli::test
