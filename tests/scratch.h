#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace tallux::test {

// A scratch folder of its own, removed afterwards.
struct Scratch {
    std::filesystem::path path;
    explicit Scratch(const std::string& name = "tallux-test")
        : path(std::filesystem::temp_directory_path() /
               (name + "-" + std::to_string(::getpid()) + "-" + std::to_string(serial()++)))
    {
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~Scratch() { std::filesystem::remove_all(path); }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

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

} // namespace tallux::test
