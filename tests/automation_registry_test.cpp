#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

#include "automation/posix/registration.h"
#include "automation_support.h"
#include "tallux/registry.h"

namespace tallux::test {
namespace {

using namespace registry;

std::string slurp(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void spill(const std::filesystem::path& file, std::string_view bytes)
{
    std::ofstream(file, std::ios::binary) << bytes;
}

TEST(Registry, EntriesRoundTripThroughTheFile)
{
    TempDir dir;
    const auto mode = std::filesystem::status(dir.path()).permissions();
    const mode_t mask = ::umask(022);
    const Registry r(dir.path() / "deep" / "er" / "registry"); // directories are made
    const Entries entries{
        {"CLSID\\{X}\\InprocServer32", "/opt/lib with spaces/libtallux.so.1"},
        {"Odd\\Value", "tab\there, line\nbreak, back\\slash, cr\r, bell\a"},
        {"Empty", ""},
        {"Utf8\\Schlüssel", "värde"},
    };
    r.update([&](Entries& e) { e = entries; });
    ::umask(mask);
    // Private to their owner, the folder that was there left as it was.
    for (const auto& folder : {dir.path() / "deep", dir.path() / "deep" / "er"})
        EXPECT_EQ(std::filesystem::status(folder).permissions(), std::filesystem::perms::owner_all);
    EXPECT_EQ(std::filesystem::status(dir.path()).permissions(), mode);
    EXPECT_EQ(r.read(), entries);
    EXPECT_EQ(r.value("clsid\\{x}\\inprocserver32"), "/opt/lib with spaces/libtallux.so.1");
    EXPECT_EQ(r.value("Missing"), std::nullopt);
    // One line per entry, sorted, escapes visible.
    EXPECT_EQ(slurp(r.file()),
              "tallux-registry 1\nCLSID\\{X}\\InprocServer32\t/opt/lib with spaces/libtallux.so.1\n"
              "Empty\t\nOdd\\Value\ttab\\there, line\\nbreak, back\\\\slash, cr\\r, bell\\x07\n"
              "Utf8\\Schlüssel\tvärde\n");
    // No temporary file is left beside it.
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& f :
         std::filesystem::directory_iterator(r.file().parent_path()))
        ++files;
    EXPECT_EQ(files, 2u); // the registry and its lock
}

TEST(Registry, ASymlinkedFileIsUpdatedThroughTheLinkWithItsMode)
{
    TempDir dir;
    spill(dir.path() / "real", "tallux-registry 1\nOld\tvalue\n");
    std::filesystem::permissions(dir.path() / "real", std::filesystem::perms::owner_read |
                                                          std::filesystem::perms::owner_write);
    std::filesystem::create_symlink("real", dir.path() / "registry");
    const Registry r(dir.path() / "registry");
    r.update([](Entries& e) { e.set("New", "entry"); });
    EXPECT_TRUE(std::filesystem::is_symlink(dir.path() / "registry"));
    EXPECT_EQ(slurp(dir.path() / "real"), "tallux-registry 1\nNew\tentry\nOld\tvalue\n");
    EXPECT_EQ(std::filesystem::status(dir.path() / "real").permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST(Registry, MissingFileIsEmptyAndNoChangeWritesNothing)
{
    TempDir dir;
    const Registry r(dir.path() / "registry");
    EXPECT_TRUE(r.read().empty());
    r.update([](Entries&) {});
    // A change that throws leaves the file alone.
    const auto throwing = [](Entries& e) {
        e.set("A", "x");
        throw std::runtime_error("stop");
    };
    EXPECT_THROW(r.update(throwing), std::runtime_error);
    EXPECT_FALSE(std::filesystem::exists(r.file()));
}

TEST(Registry, EntriesFoldCaseAndKeepTheFirstSpelling)
{
    Entries e{{"b\\X", "1"}, {"A", "2"}};
    e.set("B\\x", "3"); // the same key: its value changes, its spelling stays
    e.set("C", "4");
    EXPECT_EQ(format(e), "tallux-registry 1\nA\t2\nb\\X\t3\nC\t4\n");
    const Entries copy = e;
    EXPECT_TRUE(e.erase("a"));
    EXPECT_FALSE(e.erase("A"));
    EXPECT_EQ(copy.size(), 3u);
    EXPECT_EQ(e.find("c")->value, "4");
    const Entries moved = std::move(e);
    EXPECT_EQ(moved.size(), 2u);
    EXPECT_TRUE(e.empty()); // a moved-from Entries is empty and usable
    e.set("D", "5");
    EXPECT_EQ(e.size(), 1u);
}

TEST(Registry, CorruptFilesGiveAClearErrorAndStayAsTheyAre)
{
    struct Row {
        std::string bytes;
        std::string message; // part of the error
    };
    const Row rows[] = {
        /*0*/ {"", "line 1: the file is empty"},
        /*1*/ {"tallux-registry 2\n", "line 1: it does not begin with"},
        /*2*/
        {"\x7f"
         "ELF\x02\x01\x01",
         "line 1: it does not begin with"},
        /*3*/ {"tallux-registry 1\nno tab here\n", "line 2: no tab"},
        /*4*/ {"tallux-registry 1\nA\tx\n\n", "line 3: no tab"},
        /*5*/ {"tallux-registry 1\n\\A\tx\n", "line 2: not a valid key"},
        /*6*/ {"tallux-registry 1\nA\\\\B\tx\n", "line 2: not a valid key"},
        /*7*/ {"tallux-registry 1\nA\tbad \\q escape\n", "line 2: a value with a bad escape"},
        /*8*/ {"tallux-registry 1\nA\tcut \\x4\n", "line 2: a value with a bad escape"},
        /*9*/ {"tallux-registry 1\nA\ta\tb\n", "line 2: a value with a bad escape or a control"},
        /*10*/ {"tallux-registry 1\nKey\t1\nKEY\t2\n", "line 3: a key that came before"},
        /*11*/ {"tallux-registry 1\nA\tx\\", "line 2: a value with a bad escape"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        TempDir dir;
        const Registry r(dir.path() / "registry");
        spill(r.file(), rows[i].bytes);
        try {
            r.read();
            ADD_FAILURE() << "row " << i << " was read";
        } catch (const RegistryError& e) {
            EXPECT_NE(std::string(e.what()).find(rows[i].message), std::string::npos)
                << "row " << i << ": " << e.what();
        }
        EXPECT_THROW(r.update([](Entries& e) { e.set("New", "1"); }), RegistryError) << "row " << i;
        EXPECT_EQ(slurp(r.file()), rows[i].bytes) << "row " << i;
    }
    // A last line without its line feed is still whole.
    TempDir dir;
    spill(dir.path() / "registry", "tallux-registry 1\nA\tx");
    EXPECT_EQ(Registry(dir.path() / "registry").value("A"), "x");
}

TEST(Registry, UnreadablePlacesAreErrors)
{
    TempDir dir;
    std::filesystem::create_directory(dir.path() / "registry");
    EXPECT_THROW(Registry(dir.path() / "registry").read(), RegistryError);
    spill(dir.path() / "file", "x");
    EXPECT_THROW(
        Registry(dir.path() / "file" / "registry").update([](Entries& e) { e.set("A", ""); }),
        RegistryError);
    EXPECT_THROW(Registry(dir.path()).update([](Entries& e) { e.set("\\bad", ""); }),
                 RegistryError);
}

TEST(Registry, DefaultPlace)
{
    struct Row {
        std::optional<std::string> registry, xdg, home;
        std::string file; // "" when there is none
    };
    const Row rows[] = {
        /*0*/ {"/tmp/r", "/x", "/h", "/tmp/r"},
        /*1*/ {std::nullopt, "/x", "/h", "/x/tallux/registry"},
        /*2*/ {"", "", "/h", "/h/.local/share/tallux/registry"},
        /*3*/ {std::nullopt, std::nullopt, std::nullopt, ""},
        /*4*/ {std::nullopt, "reldata", "/h", "/h/.local/share/tallux/registry"},
        /*5*/ {std::nullopt, "reldata", "relhome", ""},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EnvVar a("TALLUX_REGISTRY", rows[i].registry), b("XDG_DATA_HOME", rows[i].xdg),
            c("HOME", rows[i].home);
        if (rows[i].file.empty()) {
            EXPECT_THROW(defaultFile(), RegistryError) << "row " << i;
        } else {
            EXPECT_EQ(defaultFile(), rows[i].file) << "row " << i;
        }
    }
}

TEST(Registry, ClassEntriesOfTheControl)
{
    const Entries e = registration::entries("/usr/lib/libtallux.so.1");
    const std::string clsid = "CLSID\\{2F2C9C0F-8338-4847-BD2C-3705EED0C07E}";
    const std::string lib = "TypeLib\\{52D122FB-A580-41AD-AC95-2424B18AE2E2}\\1.0";
    const std::pair<std::string, std::string> rows[] = {
        /*0*/ {clsid, "Tallux"},
        /*1*/ {clsid + "\\Control", ""},
        /*2*/ {clsid + "\\InprocServer32", "/usr/lib/libtallux.so.1"},
        /*3*/ {clsid + "\\MiscStatus\\1", "148881"}, // 0x24591
        /*4*/ {clsid + "\\ToolboxBitmap32", "/usr/lib/libtallux.so.1, 30000"},
        /*5*/ {clsid + "\\TypeLib", "{52D122FB-A580-41AD-AC95-2424B18AE2E2}"},
        /*6*/ {clsid + "\\Version", "1.0"},
        /*7*/ {clsid + "\\ProgID", "TALLUXLIB.Tallux"},
        /*8*/ {"TALLUXLIB.Tallux\\CLSID", "{2F2C9C0F-8338-4847-BD2C-3705EED0C07E}"},
        /*9*/ {lib + "\\409\\linux", "/usr/lib/libtallux.so.1"},
        /*10*/ {"Interface\\{5DF5F3B4-47FC-43A6-AA83-20A3F93F3314}", "_Tallux"},
        /*11*/ {"Interface\\{25D2ACE3-DF61-4394-B4F8-240EDBDA4AA9}", "__Tallux"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const Entry* found = e.find(rows[i].first);
        ASSERT_NE(found, nullptr) << "row " << i;
        EXPECT_EQ(found->value, rows[i].second) << "row " << i;
    }
    for (const Entry& entry : e) EXPECT_TRUE(validKey(entry.key)) << entry.key;
    // A library is entered only by its absolute path.
    TempDir dir;
    const Registry r(dir.path() / "registry");
    for (const char* relative : {"libtallux.so.1", "./evil.so"})
        EXPECT_THROW(registration::registerServer(r, relative), RegistryError) << relative;
    EXPECT_FALSE(std::filesystem::exists(r.file()));
}

} // namespace
} // namespace tallux::test
