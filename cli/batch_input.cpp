#include "batch_input.h"

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

bool LineReader::fill()
{
    if (eof_) return false;
    if (begin_ == end_) begin_ = end_ = 0;
    for (;;) {
        const ssize_t n = ::read(fd_, buffer_.data() + end_, buffer_.size() - end_);
        if (n < 0 && errno == EINTR) {
            if (StopOnSignal::received() == 0) continue;
            interrupted_ = true; // the run stops: the line begun is not one
            return false;
        }
        if (n < 0) throw std::system_error(errno, std::generic_category(), "cannot read the input");
        if (n == 0) eof_ = true;
        end_ += static_cast<std::size_t>(n);
        return n > 0;
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
    // A spreadsheet's UTF-8 file may begin with a byte order mark; one saved
    // as "Unicode text" is UTF-16, whose every other byte would be a NUL.
    if (lineNumber_ == 0 && line.starts_with("\xEF\xBB\xBF")) line.erase(0, 3);
    if (lineNumber_ == 0 && (line.starts_with("\xFF\xFE") || line.starts_with("\xFE\xFF")))
        throw InputError("the input is UTF-16 (it begins with a UTF-16 byte order mark): save it "
                         "as UTF-8, or convert it with iconv -f UTF-16 -t UTF-8");
    ++lineNumber_;
    return true;
}

} // namespace tallux::cli
