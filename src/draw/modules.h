#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tallux {

// A pattern of N modules as the drawing loop reads it, one bit a module: a
// bar where the pattern text has any character but "0". The tables are made
// from their texts when the program is compiled, where a text of another
// length than N stops the compilation.
template <int N>
class Modules {
    static_assert(N > 0 && N <= 32);

public:
    constexpr Modules() noexcept = default;
    constexpr explicit Modules(std::string_view pattern)
    {
        if (pattern.size() != N) throw "a pattern of another length";
        for (char c : pattern) bits_ = bits_ << 1 | (c != '0' ? 1u : 0u);
    }

    // Whether module i, counted from 0 on the left, is a bar.
    constexpr bool bar(int i) const noexcept { return (bits_ >> (N - 1 - i) & 1u) != 0; }

private:
    std::uint32_t bits_ = 0;
};
static_assert(Modules<3>("101").bar(0) && !Modules<3>("101").bar(1) && Modules<3>("102").bar(2));

// The first Count patterns of a table, each of N modules.
template <int N, std::size_t Count, std::size_t Size>
consteval std::array<Modules<N>, Count>
modulesOf(const std::array<std::string_view, Size>& patterns)
{
    static_assert(Count <= Size);
    std::array<Modules<N>, Count> table;
    for (std::size_t i = 0; i < Count; ++i) table[i] = Modules<N>(patterns[i]);
    return table;
}

} // namespace tallux
