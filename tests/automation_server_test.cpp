#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

#include "automation_support.h"
#include "commands.h"
#include "runtime/text.h"
#include "support.h"
#include "tallux/loader.h"
#include "writer.h"

namespace tallux::test {
namespace {

using loader::Loader;
using loader::ServerLibrary;

std::string slurp(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The entry points of the library as built into the tests, in process.
TEST(Server, ClassFactoryAndUnloadCounting)
{
    void* raw = nullptr;
    EXPECT_EQ(DllGetClassObject(&typelib::IID__Tallux, &IID_IClassFactory, &raw),
              status::classNotAvailable);
    EXPECT_EQ(raw, nullptr);
    EXPECT_EQ(DllGetClassObject(&typelib::CLSID_Tallux, &IID_IDispatch, &raw), status::noInterface);
    EXPECT_EQ(DllGetClassObject(&typelib::CLSID_Tallux, &IID_IClassFactory, nullptr),
              status::badPointer);
    EXPECT_EQ(DllCanUnloadNow(), status::ok);

    ComPtr<IClassFactory> factory;
    ASSERT_EQ(DllGetClassObject(&typelib::CLSID_Tallux, &IID_IClassFactory, factory.out()),
              status::ok);
    EXPECT_EQ(DllCanUnloadNow(), status::okFalse); // a held factory keeps the library

    struct Row {
        bool aggregate;
        GUID iid;
        HRESULT hr;
    };
    RecordingTarget t;
    const ComPtr<IDispatch> outer = makeTargetObject(t);
    const Row rows[] = {
        /*0*/ {false, IID_IDispatch, status::ok},
        /*1*/ {false, IID_IUnknown, status::ok},
        /*2*/ {false, typelib::IID__Tallux, status::ok},
        /*3*/ {false, IID_IClassFactory, status::noInterface},
        /*4*/ {true, IID_IDispatch, status::noAggregation},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        ComPtr<IUnknown> object;
        EXPECT_EQ(statusText(factory->CreateInstance(rows[i].aggregate ? outer.get() : nullptr,
                                                     rows[i].iid, object.out())),
                  statusText(rows[i].hr))
            << "row " << i;
        EXPECT_EQ(bool(object), rows[i].hr == status::ok) << "row " << i;
    }

    ComPtr<IDispatch> control;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, control.out()), status::ok);
    factory->LockServer(true);
    factory.reset();
    EXPECT_EQ(DllCanUnloadNow(), status::okFalse); // a live object and a lock
    control.reset();
    EXPECT_EQ(DllCanUnloadNow(), status::okFalse); // the lock
    ASSERT_EQ(DllGetClassObject(&typelib::CLSID_Tallux, &IID_IClassFactory, factory.out()),
              status::ok);
    factory->LockServer(false);
    factory.reset();
    EXPECT_EQ(DllCanUnloadNow(), status::ok);
}

// The drawings of the end-to-end test. The methods of other families join
// when they are drawn; until then they raise 438.
struct Drawing {
    std::u16string_view method;
    tBarcodeType type;
    std::u16string code;
    int text;
};

const Drawing drawings[] = {
    /*0*/ {u"BarEAN13", EAN_13, u"40063813339", -1}, // eleven digits: padded and written back
    /*1*/ {u"barcode128", Code_128, u"BCode128", 1}, // the code set letter goes
    /*2*/ {u"BARCODE39", Code_39, u"CODE39", 1},     // the check character comes back
};

void PrintTo(const Drawing& d, std::ostream* os)
{
    *os << toUtf8(d.method);
}

class EndToEnd : public ::testing::TestWithParam<Drawing> {};

TEST_P(EndToEnd, RegisterCreateDrawReleaseUnregister)
{
    const Drawing& d = GetParam();
    TempDir dir;
    const auto file = dir.path() / "registry";
    EnvVar place("TALLUX_REGISTRY", file.string());
    {
        // Somebody else's entry, which must survive.
        std::ofstream(file)
            << "tallux-registry 1\nCLSID\\{00000000-0000-0000-0000-000000000001}\tOther\n";
    }
    const std::string before = slurp(file);

    // What the early-bound call draws and leaves in pCode.
    RecordingTarget direct;
    DrawParams p = params(direct, d.code);
    p.pText = d.text;
    p.pChk = true;
    const std::optional<Integer> expected = Tallux().draw(d.type, p);

    {
        ServerLibrary library(TALLUX_LIBRARY_PATH);
        ASSERT_EQ(library.registerServer(), status::ok);
    }
    const registry::Registry reg(file);
    EXPECT_EQ(reg.value("TALLUXLIB.Tallux\\CLSID"), toString(typelib::CLSID_Tallux));
    EXPECT_EQ(reg.value("CLSID\\" + toString(typelib::CLSID_Tallux) + "\\InprocServer32"),
              std::filesystem::path(TALLUX_LIBRARY_PATH).lexically_normal().string());

    Loader loader{reg};
    {
        ComPtr<IDispatch> control = loader.create("TALLUXLIB.Tallux");
        ASSERT_TRUE(control);
        ASSERT_EQ(loader.libraries().size(), 1u);
        const ServerLibrary& library = *loader.libraries().front();
        EXPECT_EQ(library.canUnloadNow(), status::okFalse);

        RecordingTarget late;
        DrawVariables v(makeTargetObject(late).get(), d.code);
        v.vars[6] = Integer(d.text);
        v.vars[12] = Boolean(true);
        const Outcome o = invoke(*control, d.method, dispatchMethod, v.byRef());
        ASSERT_EQ(statusText(o.hr), "S_OK") << o.number();
        EXPECT_EQ(describe(o.result), "Integer " + std::to_string(expected->value()));
        EXPECT_EQ(late.log(), direct.log());
        EXPECT_EQ(describe(v.vars[3]), "String \"" + toUtf8(p.pCode) + "\"");
        EXPECT_NE(p.pCode, d.code); // the write-back was seen

        // The property, through get and put.
        EXPECT_EQ(describe(invoke(*control, u"SupBarType", dispatchPropertyGet).result), "Long 0");
        EXPECT_EQ(invoke(*control, u"SupBarType", dispatchPropertyPut, {Long(d.type)}).hr,
                  status::ok);
        const Outcome overflow =
            invoke(*control, u"SupBarType", dispatchPropertyPut, {Long(70000)});
        EXPECT_EQ(overflow.hr, status::exception);
        EXPECT_EQ(overflow.number(), 6);
        EXPECT_EQ(describe(invoke(*control, u"SupBarType", dispatchPropertyGet).result),
                  "Long " + std::to_string(d.type));

        // A second instance by class id shares the library.
        ComPtr<IDispatch> second = loader.create(toString(typelib::CLSID_Tallux));
        EXPECT_EQ(loader.libraries().size(), 1u);
        second.reset();
        EXPECT_EQ(library.canUnloadNow(), status::okFalse);
        EXPECT_EQ(loader.freeUnusedLibraries(), 0u);
        control.reset();
        EXPECT_EQ(library.canUnloadNow(), status::ok);
    }
    EXPECT_EQ(loader.freeUnusedLibraries(), 1u);
    EXPECT_TRUE(loader.libraries().empty());

    {
        ServerLibrary library(TALLUX_LIBRARY_PATH);
        ASSERT_EQ(library.unregisterServer(), status::ok);
    }
    EXPECT_EQ(slurp(file), before);
    EXPECT_THROW(loader.create("TALLUXLIB.Tallux"), loader::LoadError);
}

INSTANTIATE_TEST_SUITE_P(Automation, EndToEnd, ::testing::ValuesIn(drawings),
                         [](const auto& row) { return toUtf8(drawings[row.index].method); });

TEST(Loader, ClearErrors)
{
    TempDir dir;
    const auto file = dir.path() / "registry";
    const std::string clsid = toString(typelib::CLSID_Tallux);
    // The built library, named from the folder the test runs in.
    const std::string relative =
        "./" + std::filesystem::relative(TALLUX_LIBRARY_PATH).lexically_normal().string();
    struct Row {
        std::string registry; // the file's entries
        std::string name;
        std::string message;
    };
    const Row rows[] = {
        /*0*/ {"", "TALLUXLIB.Tallux", "no class is registered as 'TALLUXLIB.Tallux'"},
        /*1*/ {"TALLUXLIB.Tallux\\CLSID\tnot-a-guid\n", "TALLUXLIB.Tallux", "is not valid"},
        /*2*/ {"", clsid, "has no registered library"},
        /*3*/
        {"CLSID\\" + clsid + "\\InprocServer32\t" + (dir.path() / "none.so").string() + "\n", clsid,
         "cannot load"},
        /*4*/
        {"CLSID\\{00000000-0000-0000-0000-000000000002}\\InprocServer32\t" TALLUX_LIBRARY_PATH "\n",
         "{00000000-0000-0000-0000-000000000002}", "CLASS_E_CLASSNOTAVAILABLE"},
        /*5*/ {"CLSID\\" + clsid + "\\InprocServer32\t" TALLUX_CLI_PATH "\n", clsid, "cannot load"},
        /*6*/
        {"CLSID\\" + clsid + "\\InprocServer32\t" + relative + "\n", clsid, "no absolute path"},
        /*7*/
        {"CLSID\\" + clsid + "\\InprocServer32\tlibtallux-automation.so.1\n", clsid,
         "no absolute path"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        std::ofstream(file) << "tallux-registry 1\n" << rows[i].registry;
        Loader loader{registry::Registry(file)};
        try {
            loader.create(rows[i].name);
            ADD_FAILURE() << "row " << i << " created an object";
        } catch (const loader::LoadError& e) {
            EXPECT_NE(std::string(e.what()).find(rows[i].message), std::string::npos)
                << "row " << i << ": " << e.what();
        }
    }
}

TEST(Commands, TypelibRegisterUnregister)
{
    TempDir dir;
    const auto file = dir.path() / "registry";
    EnvVar place("TALLUX_REGISTRY", file.string());
    const auto run = [](std::vector<std::string_view> words, std::string* output = nullptr) {
        std::string outText, errText;
        cli::Writer out(outText), err(errText);
        const int status = cli::run(words, out, err);
        if (output) *output = outText + errText;
        return status;
    };
    std::string text;
    EXPECT_EQ(run({"typelib"}, &text), cli::exitDrawn);
    EXPECT_EQ(text, typelib::idlText());
    EXPECT_EQ(run({"typelib", "x"}), cli::exitUsage);

    EXPECT_EQ(run({"register", TALLUX_LIBRARY_PATH}, &text), cli::exitDrawn);
    EXPECT_EQ(text, "registered " TALLUX_LIBRARY_PATH " in " + file.string() + "\n");
    EXPECT_TRUE(registry::Registry(file).value("TALLUXLIB.Tallux\\CLSID"));
    EXPECT_EQ(run({"unregister", TALLUX_LIBRARY_PATH}), cli::exitDrawn);
    EXPECT_EQ(slurp(file), "tallux-registry 1\n");

    EXPECT_EQ(run({"register", (dir.path() / "none.so").string()}, &text), cli::exitUnavailable);
    EXPECT_NE(text.find("cannot load"), std::string::npos) << text;
    EXPECT_EQ(run({"register", "a", "b"}), cli::exitUsage);
    {
        // Relative base folders are no place for the registry: nothing is
        // written in the folder the command runs in.
        EnvVar unset("TALLUX_REGISTRY", std::nullopt), data("XDG_DATA_HOME", "reldata"),
            home("HOME", "relhome");
        const auto folder = std::filesystem::current_path();
        std::filesystem::current_path(dir.path());
        EXPECT_EQ(run({"register", TALLUX_LIBRARY_PATH}, &text), cli::exitOutput);
        std::filesystem::current_path(folder);
        EXPECT_NE(text.find("no place for the registry"), std::string::npos) << text;
        EXPECT_FALSE(std::filesystem::exists(dir.path() / "reldata"));
        EXPECT_FALSE(std::filesystem::exists(dir.path() / "relhome"));
    }

    // A corrupt registry is reported and left as it is.
    std::ofstream(file) << "garbage\n";
    EXPECT_EQ(run({"register", TALLUX_LIBRARY_PATH}, &text), cli::exitOutput);
    EXPECT_NE(text.find("SELFREG_E_CLASS"), std::string::npos) << text;
    EXPECT_NE(text.find("is corrupt at line 1"), std::string::npos) << text;
    EXPECT_EQ(slurp(file), "garbage\n");
}

} // namespace
} // namespace tallux::test
