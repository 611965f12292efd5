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
    return std::cout ? status : tallux::cli::exitOutput;
}
