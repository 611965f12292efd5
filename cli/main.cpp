#include <cerrno>
#include <cstring>
#include <iostream>
#include <string_view>
#include <vector>

#include "commands.h"
#include "targets/cairo/leak_suppressions.h"

int main(int argc, char** argv)
{
    std::vector<std::string_view> words(argv + 1, argv + argc);
    const int status = tallux::cli::run(words, std::cout, std::cerr);
    std::cout.flush();
    if (std::cout) return status;
    const int error = errno;
    std::cerr << "tallux: cannot write to standard output: "
              << (error ? std::strerror(error) : "short write") << "\n";
    return tallux::cli::exitOutput;
}
