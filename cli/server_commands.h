#pragma once

#include <span>
#include <string_view>

namespace tallux::cli {

class Writer;

// `tallux typelib`: the type library as IDL-like text.
int typelibCommand(std::span<const std::string_view> words, Writer& out);

// `tallux register [LIBRARY]` and `tallux unregister [LIBRARY]`: load the
// server library and call its DllRegisterServer or DllUnregisterServer.
int registerCommand(bool enter, std::span<const std::string_view> words, Writer& out, Writer& err);

} // namespace tallux::cli
