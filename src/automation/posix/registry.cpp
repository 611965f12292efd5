#include "tallux/registry.h"

#include "files/replace_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tallux::registry {

namespace {

constexpr std::string_view header = "tallux-registry 1";

char lower(char c) noexcept
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

std::string failure(const std::string& what, const std::filesystem::path& file)
{
    return what + " '" + file.string() + "': " + std::strerror(errno);
}

std::string escape(std::string_view value)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string s;
    for (char c : value) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\\')
            s += "\\\\";
        else if (c == '\t')
            s += "\\t";
        else if (c == '\n')
            s += "\\n";
        else if (c == '\r')
            s += "\\r";
        else if (u < 0x20 || u == 0x7F)
            s += {'\\', 'x', hex[u >> 4], hex[u & 15]};
        else
            s += c;
    }
    return s;
}

std::optional<std::string> unescape(std::string_view text)
{
    std::string s;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto u = static_cast<unsigned char>(text[i]);
        if (u < 0x20 || u == 0x7F) return std::nullopt;
        if (text[i] != '\\') {
            s += text[i];
            continue;
        }
        if (++i == text.size()) return std::nullopt;
        switch (text[i]) {
        case '\\': s += '\\'; break;
        case 't': s += '\t'; break;
        case 'n': s += '\n'; break;
        case 'r': s += '\r'; break;
        case 'x': {
            if (i + 2 >= text.size()) return std::nullopt;
            unsigned value = 0;
            for (int k = 0; k < 2; ++k) {
                const char c = text[++i];
                const int d = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                     : -1;
                if (d < 0) return std::nullopt;
                value = value * 16 + static_cast<unsigned>(d);
            }
            s += static_cast<char>(value);
            break;
        }
        default: return std::nullopt;
        }
    }
    return s;
}

// Writes the whole file or nothing: a temporary file beside it, synced, then
// renamed over it with the old file's mode and owner. A symlink is followed to
// the file it names; a device or FIFO is written in place.
void replaceFile(const std::filesystem::path& file, const std::string& bytes)
{
    files::Destination to;
    if (!files::resolve(file.string(), to)) throw RegistryError(failure("cannot write", file));
    if (to.inPlace) {
        const int fd = ::open(to.path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) throw RegistryError(failure("cannot write", file));
        const bool written = files::writeAll(fd, bytes);
        const int error = errno;
        if (::close(fd) == 0 && written) return;
        if (!written) errno = error;
        throw RegistryError(failure("cannot write", file));
    }
    std::string temp = to.path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) throw RegistryError(failure("cannot write", file));
    const auto fail = [&](const char* what) {
        const std::string message = failure(what, file);
        ::close(fd);
        ::unlink(temp.c_str());
        throw RegistryError(message);
    };
    if (!files::writeAll(fd, bytes)) fail("cannot write");
    if (to.replaced && !files::adoptMetadata(fd, *to.replaced)) fail("cannot write");
    if (::fsync(fd) != 0) fail("cannot write");
    if (::close(fd) != 0) {
        const std::string message = failure("cannot write", file);
        ::unlink(temp.c_str());
        throw RegistryError(message);
    }
    if (::rename(temp.c_str(), to.path.c_str()) != 0) {
        const std::string message = failure("cannot replace", file);
        ::unlink(temp.c_str());
        throw RegistryError(message);
    }
}

// Makes the folder and the missing ones above it, each readable by its owner
// alone as the registry is; folders already there keep their mode.
void makeFolders(const std::filesystem::path& folder)
{
    if (folder.empty() || ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST) return;
    if (errno == ENOENT && folder.parent_path() != folder) {
        makeFolders(folder.parent_path());
        if (::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST) return;
    }
    throw RegistryError(failure("cannot create", folder));
}

// An exclusive lock on "<file>.lock", held while it lives.
class FileLock {
public:
    explicit FileLock(const std::filesystem::path& file)
    {
        const std::string path = file.string() + ".lock";
        fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ < 0) throw RegistryError(failure("cannot lock", file));
        while (::flock(fd_, LOCK_EX) != 0)
            if (errno != EINTR) {
                const std::string message = failure("cannot lock", file);
                ::close(fd_);
                throw RegistryError(message);
            }
    }
    ~FileLock() { ::close(fd_); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int fd_ = -1;
};

} // namespace

bool KeyLess::operator()(std::string_view a, std::string_view b) const noexcept
{
    return std::ranges::lexicographical_compare(a, b, {}, lower, lower);
}

struct Entries::Sorted {
    std::vector<Entry> entries;

    // Where key is, or would go.
    std::vector<Entry>::iterator place(std::string_view key)
    {
        return std::ranges::lower_bound(entries, key, KeyLess{}, &Entry::key);
    }
    bool at(std::vector<Entry>::iterator it, std::string_view key) const
    {
        return it != entries.end() && !KeyLess{}(key, it->key);
    }
};

Entries::Entries() noexcept = default;
Entries::Entries(const Entries& other)
    : sorted_(other.sorted_ ? std::make_unique<Sorted>(*other.sorted_) : nullptr)
{
}
Entries::Entries(Entries&& other) noexcept = default;
Entries& Entries::operator=(const Entries& other)
{
    if (this != &other) *this = Entries(other);
    return *this;
}
Entries& Entries::operator=(Entries&& other) noexcept = default;
Entries::~Entries() = default;

std::span<const Entry> Entries::all() const noexcept
{
    if (!sorted_) return {};
    return sorted_->entries;
}

const Entry* Entries::find(std::string_view key) const noexcept
{
    if (!sorted_) return nullptr;
    const auto it = sorted_->place(key);
    return sorted_->at(it, key) ? &*it : nullptr;
}

void Entries::set(std::string_view key, std::string value)
{
    if (!sorted_) sorted_ = std::make_unique<Sorted>();
    const auto it = sorted_->place(key);
    if (sorted_->at(it, key))
        it->value = std::move(value);
    else
        sorted_->entries.insert(it, Entry{std::string(key), std::move(value)});
}

bool Entries::erase(std::string_view key) noexcept
{
    if (!sorted_) return false;
    const auto it = sorted_->place(key);
    if (!sorted_->at(it, key)) return false;
    sorted_->entries.erase(it);
    return true;
}

std::filesystem::path defaultFile()
{
    if (const char* file = std::getenv("TALLUX_REGISTRY"); file != nullptr && *file != '\0')
        return file;
    // A relative base folder would put the registry under whatever folder the
    // program runs in: it is ignored, as if unset.
    const auto absolute = [](const char* name) -> const char* {
        const char* v = std::getenv(name);
        return v != nullptr && *v == '/' ? v : nullptr;
    };
    if (const char* data = absolute("XDG_DATA_HOME"))
        return std::filesystem::path(data) / "tallux" / "registry";
    if (const char* home = absolute("HOME"))
        return std::filesystem::path(home) / ".local" / "share" / "tallux" / "registry";
    throw RegistryError("no place for the registry: TALLUX_REGISTRY is not set and neither "
                        "XDG_DATA_HOME nor HOME is an absolute path");
}

bool validKey(std::string_view key) noexcept
{
    if (key.empty() || key.front() == '\\' || key.back() == '\\' ||
        key.find("\\\\") != std::string_view::npos)
        return false;
    return std::ranges::none_of(key, [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F;
    });
}

std::string format(const Entries& entries)
{
    std::string text(header);
    text += '\n';
    for (const auto& [key, value] : entries) text += key + '\t' + escape(value) + '\n';
    return text;
}

Entries parse(std::string_view text, const std::string& fileName)
{
    const auto corrupt = [&](std::size_t line, const std::string& why) {
        return RegistryError("registry file '" + fileName + "' is corrupt at line " +
                             std::to_string(line) + ": " + why);
    };
    Entries entries;
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (++lineNumber == 1) {
            if (line != header)
                throw corrupt(1, "it does not begin with \"" + std::string(header) + "\"");
            continue;
        }
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos)
            throw corrupt(lineNumber, "no tab between key and value");
        const std::string_view key = line.substr(0, tab);
        if (!validKey(key)) throw corrupt(lineNumber, "not a valid key");
        const auto value = unescape(line.substr(tab + 1));
        if (!value) throw corrupt(lineNumber, "a value with a bad escape or a control character");
        if (entries.contains(key)) throw corrupt(lineNumber, "a key that came before");
        entries.set(key, *value);
    }
    if (lineNumber == 0) throw corrupt(1, "the file is empty");
    return entries;
}

Entries Registry::read() const
{
    const int fd = ::open(file_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return {};
        throw RegistryError(failure("cannot read", file_));
    }
    std::string text;
    if (!files::readAll(fd, text)) {
        const std::string message = failure("cannot read", file_);
        ::close(fd);
        throw RegistryError(message);
    }
    ::close(fd);
    return parse(text, file_.string());
}

std::optional<std::string> Registry::value(std::string_view key) const
{
    const Entries entries = read();
    const Entry* entry = entries.find(key);
    if (entry == nullptr) return std::nullopt;
    return entry->value;
}

void Registry::update(void (*change)(Entries& entries, void* context), void* context) const
{
    makeFolders(file_.parent_path());
    const FileLock lock(file_);
    const Entries before = read();
    Entries after = before;
    change(after, context);
    for (const Entry& entry : after)
        if (!validKey(entry.key)) throw RegistryError("not a valid registry key: " + entry.key);
    if (after != before) replaceFile(file_, format(after));
}

} // namespace tallux::registry
