#pragma once

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "batch.h"
#include "commands.h"

namespace tallux::cli::test {

// A scratch folder of its own, removed afterwards.
struct Scratch {
    std::filesystem::path path;
    Scratch()
        : path(std::filesystem::temp_directory_path() /
               ("tallux-batch-" + std::to_string(::getpid()) + "-" + std::to_string(serial()++)))
    {
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~Scratch() { std::filesystem::remove_all(path); }
    std::string operator/(const std::string& name) const { return (path / name).string(); }

    static int& serial()
    {
        static int n = 0;
        return n;
    }
};

inline std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void writeFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

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
    std::ostringstream out, err;
    const int status = run(all, out, err);
    std::filesystem::remove(inputPath);
    return {status, err.str()};
}

} // namespace tallux::cli::test
