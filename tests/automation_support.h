#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tallux/automation.h"

namespace tallux::test {

using namespace com;

// A scratch directory, removed with everything in it.
class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tallux-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Sets an environment variable for the scope (unset with nullopt).
class EnvVar {
public:
    EnvVar(const char* name, std::optional<std::string> value)
        : name_(name)
    {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
    ~EnvVar()
    {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

// One late-bound call by name, as a client makes it.
struct Outcome {
    HRESULT hr = status::unexpected;
    Variant result;
    ExcepInfo excep;
    std::uint32_t argErr = 0;
    // The run-time error number the client sees (0 on success).
    std::int32_t number() const { return errorNumber(hr, &excep); }
};

inline Outcome invoke(IDispatch& object, std::u16string_view name, std::uint16_t flags,
                      std::vector<Variant> args = {})
{
    Outcome o;
    DISPID id = 0;
    o.hr = object.GetIDsOfNames(name, &id);
    if (failed(o.hr)) return o;
    DispParams params{args};
    o.hr = object.Invoke(id, flags, params, &o.result, &o.excep, &o.argErr);
    return o;
}

// The thirteen caller variables of a drawing call, held as variants.
struct DrawVariables {
    std::vector<Variant> vars;

    DrawVariables(IDispatch* target, std::u16string code)
        : vars{Variant(target), Single(10),   Single(10), Variant(std::move(code)),
               Integer(2),      Integer(100), Integer(0), Boolean(true),
               u"Arial",        Long(255),    Long(0),    u"3:1",
               Boolean(false)}
    {
    }
    // All thirteen by reference, as a caller passes its variables.
    std::vector<Variant> byRef()
    {
        std::vector<Variant> refs;
        for (Variant& v : vars) refs.push_back(Variant::byRef(v));
        return refs;
    }
};

} // namespace tallux::test
