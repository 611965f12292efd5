// New files that appear only complete, and are taken back when dropped.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "batch_support.h"
#include "output_file.h"

namespace tallux::cli::test {
namespace {

TEST(PlacedFile, ANewFileAppearsWholeWithTheUsualPermissions)
{
    Scratch dir;
    const std::string path = dir / "a.svg";
    std::optional<PlacedFile> placed = placeNewFile(path, "<svg/>\n");
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

TEST(PlacedFile, WhatIsThereAlreadyIsLeftToPendingFile)
{
    Scratch dir;
    writeFile(dir / "old.svg", "old");
    std::filesystem::create_directory(dir / "folder");
    EXPECT_FALSE(placeNewFile(dir / "old.svg", "new").has_value());
    EXPECT_FALSE(placeNewFile(dir / "folder", "new").has_value());
    EXPECT_FALSE(placeNewFile(dir / "missing/a.svg", "new").has_value());
    EXPECT_FALSE(placeNewFile(dir / "", "new").has_value());
    // Nothing written, nothing left behind.
    EXPECT_EQ(filesIn(dir.path),
              (std::map<std::string, std::string>{{"folder", ""}, {"old.svg", "old"}}));
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

} // namespace
} // namespace tallux::cli::test
