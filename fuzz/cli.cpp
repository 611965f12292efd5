// The tallux command's argument parser and the whole draw command on the
// trace target. Output files are never named, so nothing is written; register
// and unregister are left out, as they load libraries and change the user's
// registry (the registry target covers them).
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "check.h"
#include "commands.h"
#include "writer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    static const char* const known[] = {
        "draw",       "list",         "--help",       "BarCODE39",    "BarEAN13",      "BarCODE128",
        "BarPOSTNET", "--x",          "--y",          "--code",       "--width",       "--height",
        "--text",     "--bold",       "--font",       "--chk",        "--ratio",       "--target",
        "trace",      "--fore-color", "--line-color", "--char-width", "--char-height", "-1",
        "0x",         "3:1",          "32768",        "1e39",         "--width=",
    };
    std::vector<std::string> storage;
    while (in.remaining_bytes() > 0 && storage.size() < 24)
        storage.push_back(in.ConsumeBool() ? std::string(in.PickValueInArray(known))
                                           : in.ConsumeRandomLengthString(16));
    if (!storage.empty() && (storage[0] == "register" || storage[0] == "unregister")) return 0;
    std::vector<std::string_view> words;
    for (const std::string& w : storage) {
        // -o in any form (-o FILE, -oFILE) names a file: left out.
        if (w.starts_with("-o") || w.starts_with("--output") || w.starts_with("--target="))
            return 0;
        words.push_back(w);
    }
    if (!words.empty() && words[0] == "draw") {
        for (std::size_t i = 1; i < words.size(); ++i)
            if (words[i] == "--target" && i + 1 < words.size() && words[i + 1] != "trace") return 0;
    }

    std::string outText, errText;
    tallux::cli::Writer out(outText), err(errText);
    const int status = tallux::cli::run(words, out, err);
    FUZZ_CHECK(status == 0 || status == 1 || status == 2 || status == 64 || status == 65,
               "exit status %d", status);
    if (status == 64) {
        const std::string& e = errText;
        FUZZ_CHECK(outText.empty() && !e.empty() && e.find('\n') == e.size() - 1,
                   "a usage error is one line on stderr and nothing on stdout");
    }
    return 0;
}
