#include "batch_input.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

#include "stop_on_signal.h"

namespace tallux::cli {

LineReader::LineReader(int fd, std::size_t longest)
    : fd_(fd)
    , longest_(longest)
    , buffer_(64 * 1024)
{
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
        size_ = static_cast<std::uint64_t>(st.st_size);
}

ssize_t LineReader::readSome(char* to, std::size_t room)
{
    for (;;) {
        const ssize_t n = ::read(fd_, to, room);
        if (n >= 0) return n;
        if (errno != EINTR)
            throw std::system_error(errno, std::generic_category(), "cannot read the input");
        if (StopOnSignal::received() != 0) {
            interrupted_ = true; // the run stops: the line begun is not one
            return -1;
        }
    }
}

bool LineReader::fill()
{
    if (eof_ && raw_.empty() && lead_ == 0) return false;
    if (begin_ == end_) begin_ = end_ = 0;
    if (encoding_ == Encoding::Unknown) {
        // The first two bytes tell UTF-16 by its byte order mark.
        while (end_ < 2 && !eof_) {
            const ssize_t n = readSome(buffer_.data() + end_, buffer_.size() - end_);
            if (n < 0) return false;
            if (n == 0) eof_ = true;
            end_ += static_cast<std::size_t>(n);
        }
        const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(buffer_[i]); };
        if (end_ >= 2 && byte(0) == 0xFF && byte(1) == 0xFE) {
            encoding_ = Encoding::Utf16Le;
        } else if (end_ >= 2 && byte(0) == 0xFE && byte(1) == 0xFF) {
            encoding_ = Encoding::Utf16Be;
        } else {
            encoding_ = Encoding::Utf8;
            return end_ > 0;
        }
        raw_.assign(buffer_.begin() + 2, buffer_.begin() + static_cast<std::ptrdiff_t>(end_));
        begin_ = end_ = 0;
        size_.reset(); // the lines' bytes no longer measure the file
    }
    if (encoding_ != Encoding::Utf8) return fillUtf16();
    if (eof_) return false;
    const ssize_t n = readSome(buffer_.data() + end_, buffer_.size() - end_);
    if (n < 0) return false;
    if (n == 0) eof_ = true;
    end_ += static_cast<std::size_t>(n);
    return n > 0;
}

// Turns the UTF-16 read so far into UTF-8 in the empty buffer, reading more
// until there is some; a unit that is half of no pair becomes U+FFFD.
bool LineReader::fillUtf16()
{
    const bool little = encoding_ == Encoding::Utf16Le;
    for (;;) {
        std::size_t i = 0;
        for (; i + 1 < raw_.size() && end_ + 8 <= buffer_.size(); i += 2) {
            const auto a = static_cast<unsigned char>(raw_[i]);
            const auto b = static_cast<unsigned char>(raw_[i + 1]);
            putUnit(static_cast<char16_t>(little ? a | b << 8 : a << 8 | b));
        }
        raw_.erase(raw_.begin(), raw_.begin() + static_cast<std::ptrdiff_t>(i));
        if (end_ > 0) return true;
        if (eof_) {
            if (!raw_.empty() || lead_ != 0) putUtf8(0xFFFD); // a lone byte or half a pair
            raw_.clear();
            lead_ = 0;
            return end_ > 0;
        }
        // Three bytes of UTF-8 at most for two of UTF-16.
        const std::size_t room = buffer_.size() / 3 * 2;
        const std::size_t kept = raw_.size();
        raw_.resize(kept + room);
        const ssize_t n = readSome(raw_.data() + kept, room);
        raw_.resize(kept + static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
        if (n < 0) return false;
        if (n == 0) eof_ = true;
    }
}

void LineReader::putUnit(char16_t unit)
{
    const bool high = unit >= 0xD800 && unit <= 0xDBFF;
    const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
    if (lead_ != 0) {
        const char16_t lead = lead_;
        lead_ = 0;
        if (low) {
            putUtf8(0x10000 + ((char32_t{lead} - 0xD800) << 10) + (char32_t{unit} - 0xDC00));
            return;
        }
        putUtf8(0xFFFD);
    }
    if (high)
        lead_ = unit;
    else
        putUtf8(low ? char32_t{0xFFFD} : char32_t{unit});
}

void LineReader::putUtf8(char32_t c)
{
    const auto put = [&](char32_t byte) { buffer_[end_++] = static_cast<char>(byte); };
    if (c < 0x80) {
        put(c);
    } else if (c < 0x800) {
        put(0xC0 | c >> 6);
        put(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        put(0xE0 | c >> 12);
        put(0x80 | (c >> 6 & 0x3F));
        put(0x80 | (c & 0x3F));
    } else {
        put(0xF0 | c >> 18);
        put(0x80 | (c >> 12 & 0x3F));
        put(0x80 | (c >> 6 & 0x3F));
        put(0x80 | (c & 0x3F));
    }
}

bool LineReader::next(std::string& line)
{
    line.clear();
    tooLong_ = false;
    bool any = false;
    for (;;) {
        if (begin_ == end_ && !fill()) {
            if (!any || interrupted_) return false;
            break; // the last line has no line end
        }
        any = true;
        const char* start = buffer_.data() + begin_;
        const std::size_t available = end_ - begin_;
        const auto* nl = static_cast<const char*>(std::memchr(start, '\n', available));
        const std::size_t take = nl ? static_cast<std::size_t>(nl - start) : available;
        const std::size_t room = longest_ - std::min(longest_, line.size());
        if (take > room) tooLong_ = true;
        line.append(start, std::min(take, room));
        const std::size_t used = take + (nl ? 1 : 0);
        begin_ += used;
        consumed_ += used;
        if (nl) break;
    }
    // A spreadsheet's UTF-8 file may begin with a byte order mark.
    if (lineNumber_ == 0 && line.starts_with("\xEF\xBB\xBF")) line.erase(0, 3);
    ++lineNumber_;
    return true;
}

} // namespace tallux::cli
