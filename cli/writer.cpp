#include "writer.h"

#include <cerrno>
#include <unistd.h>

namespace tallux::cli {

namespace {

// Standard output is kept up to this much; a larger piece (an image) is
// written as it comes, not copied.
constexpr std::size_t keptBytes = 64 * 1024;

} // namespace

Writer& Writer::operator<<(std::string_view s)
{
    if (text_) {
        text_->append(s);
        return *this;
    }
    if (tied_) tied_->flush();
    if (failed_) return *this;
    if (buffering_ == Buffering::None || kept_.size() + s.size() > keptBytes) {
        flush();
        if (buffering_ == Buffering::None || s.size() >= keptBytes) {
            writeOut(s);
            return *this;
        }
    }
    kept_.append(s);
    return *this;
}

bool Writer::flush() noexcept
{
    if (!kept_.empty()) {
        writeOut(kept_);
        kept_.clear();
    }
    return !failed_;
}

bool Writer::terminal() const noexcept
{
    return !text_ && ::isatty(fd_) == 1;
}

void Writer::writeOut(std::string_view bytes) noexcept
{
    while (!failed_ && !bytes.empty()) {
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            failed_ = true;
            error_ = n < 0 ? errno : 0;
        }
    }
}

} // namespace tallux::cli
