#include <cerrno>
#include <cstring>
#include <iostream>
#include <string_view>
#include <vector>

#include "commands.h"
#include "targets/cairo/leak_suppressions.h"
#ifdef TALLUX_HAVE_CAIRO
#include "tallux/surface.h"
#endif

int main(int argc, char** argv)
{
#ifdef TALLUX_HAVE_CAIRO
    // One process per label is the command's common use: its text is kept
    // between processes, so that most runs start without fontconfig.
    tallux::keepShapedTextBetweenProcesses();
#endif
    std::vector<std::string_view> words(argv + 1, argv + argc);
    const int status = tallux::cli::run(words, std::cout, std::cerr);
    std::cout.flush();
    if (std::cout) return status;
    const int error = errno;
    std::cerr << "tallux: cannot write to standard output: "
              << (error ? std::strerror(error) : "short write") << "\n";
    return tallux::cli::exitOutput;
}
