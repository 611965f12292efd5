#pragma once

#include <charconv>
#include <concepts>
#include <string>
#include <string_view>

namespace tallux::cli {

// Where the command writes its text and files: a file descriptor, or a
// caller's string (the tests read it). It takes no part in iostreams, whose
// set-up would cost every run of the command a share of its start.
class Writer {
public:
    enum class Buffering {
        Full, // kept until flush() (large pieces go straight through), as standard output
        None, // written at once, as standard error: nothing lost or reordered
    };

    // Appends everything to `text`.
    explicit Writer(std::string& text) noexcept
        : text_(&text)
    {
    }
    Writer(int fd, Buffering buffering) noexcept
        : fd_(fd)
        , buffering_(buffering)
    {
    }
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;
    ~Writer() { flush(); }

    // Before anything is written here, `other` is flushed: what went to it
    // earlier shows first (standard error tied to standard output).
    void tie(Writer& other) noexcept { tied_ = &other; }

    Writer& operator<<(std::string_view s);
    Writer& operator<<(const char* s) { return *this << std::string_view(s); }
    Writer& operator<<(const std::string& s) { return *this << std::string_view(s); }
    Writer& operator<<(char c) { return *this << std::string_view(&c, 1); }
    template <std::integral T>
    requires(!std::same_as<T, char> && !std::same_as<T, bool> && sizeof(T) <= 8) Writer&
    operator<<(T n)
    {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
        return *this << std::string_view(digits, static_cast<std::size_t>(end - digits));
    }

    // Writes what is kept. False once any write has failed; error() tells why.
    bool flush() noexcept;
    // The errno of the first failed write; 0 for a write that wrote nothing.
    int error() const noexcept { return error_; }
    bool good() const noexcept { return !failed_; }
    // Whether the descriptor is a terminal.
    bool terminal() const noexcept;

private:
    void writeOut(std::string_view bytes) noexcept;

    std::string* text_ = nullptr;
    int fd_ = -1;
    Buffering buffering_ = Buffering::Full;
    std::string kept_;
    Writer* tied_ = nullptr;
    bool failed_ = false;
    int error_ = 0;
};

} // namespace tallux::cli
