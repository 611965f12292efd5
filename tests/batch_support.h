#pragma once

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

#include "batch.h"
#include "commands.h"
#include "scratch.h"
#include "writer.h"

namespace tallux::cli::test {

using tallux::test::readFile;
using tallux::test::Scratch;
using tallux::test::writeFile;

// Every file in a folder by name, with its bytes.
inline std::map<std::string, std::string> filesIn(const std::filesystem::path& dir)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        files[entry.path().filename().string()] = readFile(entry.path());
    return files;
}

struct BatchRun {
    int status = -1;
    std::string err;
};

// `tallux batch` in process on the given input text, with the words after it.
inline BatchRun batch(const Scratch& dir, const std::string& input, std::vector<std::string> words)
{
    const std::string inputPath = dir / "input.txt";
    writeFile(inputPath, input);
    std::vector<std::string_view> all{"batch", inputPath};
    all.insert(all.end(), words.begin(), words.end());
    BatchRun r;
    std::string outText;
    Writer out(outText), err(r.err);
    r.status = run(all, out, err);
    std::filesystem::remove(inputPath);
    return r;
}

} // namespace tallux::cli::test
