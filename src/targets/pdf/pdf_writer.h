#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "targets/host/number_text.h"

namespace tallux {

// Appends a number as PDF writes it: fixed notation, at most `decimals`
// places, no trailing zeros, never an exponent.
inline void appendNumber(std::string& out, double value, int decimals = 3)
{
    char text[numberRoom];
    out.append(text, writeNumber(text, value, decimals));
}

// Appends each number, a space before each, as appendNumber writes it.
inline void appendNumbers(std::string& out, std::initializer_list<double> values, int decimals = 3)
{
    for (const double v : values) {
        out += ' ';
        appendNumber(out, v, decimals);
    }
}

// A PDF file written object by object to a sink, with the cross-reference
// table at the end. Objects are numbered ahead, so that one may refer to
// another that is written later.
class PdfWriter {
public:
    // Takes the file's bytes in order; false when they cannot be kept.
    using Sink = std::function<bool(const unsigned char* data, std::size_t size)>;

    // Writes the header. Raises PageError when the sink refuses bytes.
    explicit PdfWriter(Sink sink);

    // A number for an object still to be written.
    int reserve()
    {
        at_.push_back(0);
        return static_cast<int>(at_.size());
    }
    // Writes object `number` with `body` (a dictionary or any other value).
    void object(int number, std::string_view body);
    // Writes object `number` as a stream of `data`, deflated; `dictionary`
    // holds the entries besides /Length and /Filter, without brackets.
    void stream(int number, std::string_view dictionary, std::string_view data);
    // Writes the cross-reference table and the trailer naming the catalog
    // and the information dictionary, and hands over the last bytes.
    void finish(int catalog, int info);

private:
    // Records where object `number` starts and writes its opening line.
    void begin(int number);
    void write(std::string_view bytes);
    void flush();

    Sink sink_;
    std::string buffer_;
    std::uint64_t written_ = 0;     // bytes before the buffer
    std::vector<std::uint64_t> at_; // offset of each object, by number - 1
    std::string deflated_;
};

} // namespace tallux
