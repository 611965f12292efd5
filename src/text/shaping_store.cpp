#include "text/shaping_store.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <mutex>
#include <system_error>
#include <type_traits>
#include <unordered_map>

#include <cairo.h>
#include <fcntl.h>
#include <fontconfig/fontconfig.h>
#include <hb.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include "files/replace_file.h"
#include "tallux/surface.h"
#include "tallux/version.h"

namespace tallux {

namespace {

// Raised with the format of the files.
constexpr int format = 4;
// Files are slots named by the hash of their shaping: the folder stays
// bounded however many texts are drawn.
constexpr std::uint64_t slots = 1024;
// What the two kinds of file start with.
constexpr std::string_view shapingKind = "tallux-shaping", stampKind = "tallux-fontconfig";
// Glyph masks kept with a text: the first few, for the positions a label's
// text takes.
constexpr std::size_t maxMasks = 4;

// What fontconfig and Pango take from the environment.
constexpr std::array environmentNames = {"FONTCONFIG_FILE",
                                         "FONTCONFIG_PATH",
                                         "FONTCONFIG_SYSROOT",
                                         "FC_LANG",
                                         "HOME",
                                         "XDG_CONFIG_HOME",
                                         "XDG_DATA_HOME",
                                         "XDG_CACHE_HOME",
                                         "LANG",
                                         "LANGUAGE",
                                         "LC_ALL",
                                         "LC_CTYPE",
                                         "PANGO_LANGUAGE",
                                         "PANGOCAIRO_BACKEND"};

// fontconfig's as built against: the installed library's file is among the
// files of the stamp, and asking the library would load it in a command
// whose text all comes from the store.
std::string versions()
{
    return std::string(version::text) + ' ' + cairo_version_string() + ' ' +
           std::to_string(FC_VERSION) + ' ' + HB_VERSION_STRING;
}

// The state of a file or folder: absent, or its device, inode, size and
// change times.
std::string stateOf(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return "-";
    std::string s;
    for (const long long v :
         {static_cast<long long>(st.st_dev), static_cast<long long>(st.st_ino),
          static_cast<long long>(st.st_size), static_cast<long long>(st.st_mtim.tv_sec),
          static_cast<long long>(st.st_mtim.tv_nsec), static_cast<long long>(st.st_ctim.tv_sec),
          static_cast<long long>(st.st_ctim.tv_nsec)})
        s += std::to_string(v) + '.';
    return s;
}

// The state of a font file, read once a thread: the texts of one face
// check it once.
const std::string& fontStateOf(const std::string& path)
{
    thread_local std::unordered_map<std::string, std::string> states;
    auto [it, added] = states.try_emplace(path);
    if (added) it->second = stateOf(path);
    return it->second;
}

// Writes numbers each followed by a space, and text as its length, a
// space, its bytes and a newline.
struct Writer {
    std::string out;

    template <class... T>
    void operator()(const T&... v)
    {
        (put(v), ...);
    }
    template <class T, class F>
    void list(const std::vector<T>& items, std::size_t, F each)
    {
        put(items.size());
        for (const T& item : items) each(item);
    }

private:
    template <class T>
    void put(const T& v)
    {
        if constexpr (std::is_floating_point_v<T>) {
            char buffer[32];
            out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, v).ptr);
            out += ' ';
        } else if constexpr (std::is_arithmetic_v<T> || std::is_enum_v<T>) {
            out += std::to_string(static_cast<long long>(v)) + ' ';
        } else {
            put(std::size(v));
            out.append(reinterpret_cast<const char*>(std::data(v)), std::size(v));
            out += '\n';
        }
    }
};

// Reads what Writer wrote; any fault leaves `ok` false for good.
class Reader {
public:
    explicit Reader(std::string_view in)
        : in_(in)
    {
    }
    bool ok = true;

    template <class... T>
    void operator()(T&... v)
    {
        (get(v), ...);
    }
    // A list of at most `limit` items.
    template <class T, class F>
    void list(std::vector<T>& items, std::size_t limit, F each)
    {
        items.resize(count(limit));
        for (T& item : items) each(item);
    }
    std::size_t count(std::size_t limit)
    {
        const auto v = value<long long>();
        if (v >= 0 && static_cast<unsigned long long>(v) <= limit)
            return static_cast<std::size_t>(v);
        fail();
        return 0;
    }
    std::string text()
    {
        const std::size_t n = count(in_.size());
        if (!ok || in_.size() - at_ < n + 1 || in_[at_ + n] != '\n') {
            fail();
            return {};
        }
        std::string s(in_.substr(at_, n));
        at_ += n + 1;
        return s;
    }
    bool atEnd() const { return at_ == in_.size(); }

private:
    template <class T>
    void get(T& v)
    {
        if constexpr (std::is_same_v<T, bool>) {
            v = value<long long>() != 0;
        } else if constexpr (std::is_arithmetic_v<T>) {
            v = value<T>();
        } else {
            const std::string s = text();
            v.assign(s.begin(), s.end());
        }
    }
    // A number read up to the space after it; one out of T's range fails.
    template <class T>
    T value()
    {
        T v{};
        const char* end = in_.data() + in_.size();
        const auto r = std::from_chars(in_.data() + at_, end, v);
        if (r.ec != std::errc() || r.ptr == end || *r.ptr != ' ') {
            fail();
            return T{};
        }
        at_ = static_cast<std::size_t>(r.ptr - in_.data()) + 1;
        return v;
    }
    void fail()
    {
        ok = false;
        at_ = in_.size();
    }
    std::string_view in_;
    std::size_t at_ = 0;
};

std::string keyText(const ShapingKey& key, std::string_view utf8)
{
    Writer w;
    w(key.surface, key.xx, key.yx, key.xy, key.yy, key.family, key.bold, key.size, utf8);
    return std::move(w.out);
}

// The fields of a shaping in the order its file holds them, for Writer and
// Reader alike; the limits bound what a damaged file makes a reader allocate.
template <class IO, class Text>
void transfer(IO& io, Text& t)
{
    io(t.text, t.askedFamily, t.askedSize, t.askedBold);
    for (auto* b : {&t.logical, &t.ink}) io(b->x, b->y, b->width, b->height);
    io(t.baseline, t.lines);
    io.list(t.fonts, 1 << 10, [&](auto& f) {
        io(f.pattern, f.file, f.index, f.family);
        for (auto& v : f.matrix) io(v);
        io(f.antialias, f.subpixelOrder, f.hintStyle, f.hintMetrics, f.variations, f.emboldened,
           f.transformed);
    });
    io.list(t.runs, 1 << 20, [&](auto& r) {
        io(r.font, r.x, r.baseline, r.offset, r.length, r.backward);
        io.list(r.glyphs, 1 << 20,
                [&](auto& g) { io(g.id, g.xOffset, g.yOffset, g.width, g.cluster); });
        io.list(r.clusters, 1 << 20, [&](auto& c) { io(c.bytes, c.glyphs); });
    });
    io.list(t.masks, maxMasks, [&](auto& m) {
        io(m.fractionX, m.fractionY, m.left, m.top, m.width, m.height, m.coverage);
    });
}

// Whether a shaping read back is one cairo can draw: runs within the text
// and the fonts, clusters that cover the run's text and drawn glyphs, masks
// of a sane size.
bool sound(const ShapedText& t)
{
    for (const ShapedRun& run : t.runs) {
        if (run.font < 0 || static_cast<std::size_t>(run.font) >= t.fonts.size() ||
            run.offset < 0 || run.length < 0 ||
            static_cast<std::size_t>(run.offset) + static_cast<std::size_t>(run.length) >
                t.text.size())
            return false;
        long long bytes = 0, glyphs = 0, drawn = 0;
        for (const ShapedGlyph& g : run.glyphs) {
            if (g.cluster < 0 || g.cluster > run.length) return false;
            drawn += g.id != emptyGlyph && (g.id & unknownGlyphFlag) == 0;
        }
        for (const ShapedCluster& c : run.clusters) {
            if (c.bytes < 0 || c.glyphs < 0) return false;
            bytes += c.bytes, glyphs += c.glyphs;
        }
        if (!run.clusters.empty() && (bytes != run.length || glyphs != drawn)) return false;
    }
    constexpr int far = 1 << 20, wide = 1 << 14;
    return std::all_of(t.masks.begin(), t.masks.end(), [](const GlyphMask& m) {
        return m.width >= 0 && m.height >= 0 && m.width <= wide && m.height <= wide &&
               std::abs(m.left) <= far && std::abs(m.top) <= far &&
               m.coverage.size() ==
                   static_cast<std::size_t>(m.width) * static_cast<std::size_t>(m.height);
    });
}

std::uint64_t fnv(std::string_view s)
{
    std::uint64_t h = 14695981039346656037u;
    for (const char c : s) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211u;
    return h;
}

// The checksum of a file's body: zlib's CRC-32, which reads many bytes a step.
std::uint32_t checksum(std::string_view s)
{
    return static_cast<std::uint32_t>(
        crc32_z(0, reinterpret_cast<const Bytef*>(s.data()), s.size()));
}

std::string readWhole(const std::string& path)
{
    std::string bytes;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return bytes;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_size > 0 && st.st_size < (1 << 24)) {
        bytes.reserve(static_cast<std::size_t>(st.st_size));
        if (!files::readAll(fd, bytes)) bytes.clear();
    }
    ::close(fd);
    return bytes;
}

// The body of a file that starts with `head` and ends with the checksum of
// what lies between; empty where it does not.
std::string_view checkedBody(std::string_view file, std::string_view head)
{
    if (!file.starts_with(head) || !file.ends_with('\n')) return {};
    const std::size_t last = file.rfind('\n', file.size() - 2);
    if (last == std::string::npos || last < head.size()) return {};
    const std::string_view body = file.substr(head.size(), last + 1 - head.size());
    if (std::to_string(checksum(body)) + '\n' != file.substr(last + 1)) return {};
    return body;
}

std::string withChecksum(std::string head, std::string_view body)
{
    return head.append(body) + std::to_string(checksum(body)) + '\n';
}

// Writes a file whole under a name of its own, then puts it in place.
void replace(const std::string& target, const std::string& data)
{
    std::string temporary = target + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return;
    const bool written = files::writeAll(fd, data);
    const bool whole = ::close(fd) == 0 && written;
    if (!whole || ::rename(temporary.c_str(), target.c_str()) != 0) ::unlink(temporary.c_str());
}

std::atomic<bool> keptBetweenProcesses{false};

} // namespace

ShapingStore& ShapingStore::instance()
{
    // Made on the first text of the process: off unless the program asked.
    static ShapingStore store([] {
        if (!keptBetweenProcesses) return std::string();
        const char* off = std::getenv("TALLUX_FONT_CACHE");
        if (off != nullptr && std::string_view(off) == "0") return std::string();
        const char* xdg = std::getenv("XDG_CACHE_HOME");
        if (xdg != nullptr && *xdg == '/') return std::string(xdg) + "/tallux/shaping";
        const char* home = std::getenv("HOME");
        if (home != nullptr && *home == '/') return std::string(home) + "/.cache/tallux/shaping";
        return std::string();
    }());
    return store;
}

void keepShapedTextBetweenProcesses()
{
    keptBetweenProcesses = true;
}

ShapingStore::ShapingStore(std::string folder)
    : folder_(std::move(folder))
{
    for (const char* name : environmentNames) {
        const char* value = std::getenv(name);
        environment_ += name;
        environment_ += value ? "=" + std::string(value) : std::string("!");
        environment_ += '\n';
    }
}

std::string ShapingStore::fileFor(const ShapingKey& key, std::string_view utf8) const
{
    char name[24];
    std::snprintf(name, sizeof name, "/%03x",
                  static_cast<unsigned>(fnv(keyText(key, utf8) + environment_) % slots));
    return folder_ + name;
}

std::string ShapingStore::header(std::string_view kind) const
{
    Writer w;
    w(kind, format, versions(), environment_);
    return std::move(w.out);
}

std::string ShapingStore::stampFile() const
{
    char name[32];
    std::snprintf(name, sizeof name, "/fontconfig-%016llx",
                  static_cast<unsigned long long>(fnv(environment_)));
    return folder_ + name;
}

std::string ShapingStore::currentStamp() const
{
    const std::lock_guard hold(stampLock_);
    if (!stampRead_) {
        // fontconfig's files as the last shaping found them: the stamp
        // holds while every one of them is as it was.
        stampRead_ = true;
        const std::string file = readWhole(stampFile());
        const std::string_view body = checkedBody(file, header(stampKind));
        Reader r(body);
        const std::size_t count = body.empty() ? 0 : r.count(1 << 16);
        bool holds = !body.empty();
        for (std::size_t i = 0; i < count && holds; ++i) {
            const std::string path = r.text();
            holds = r.ok && r.text() == stateOf(path);
        }
        if (holds && r.atEnd()) stamp_ = std::to_string(fnv(body));
    }
    return stamp_;
}

bool ShapingStore::load(const ShapingKey& key, std::string_view utf8, ShapedText& out) const
{
    if (!enabled()) return false;
    const std::string stamp = currentStamp();
    if (stamp.empty()) return false;
    // Another version, environment or shaping, or a body cut short or
    // changed in place, which fails its checksum; then another state of
    // fontconfig or of the fonts chosen.
    const std::string file = readWhole(fileFor(key, utf8));
    Reader r(checkedBody(file, header(shapingKind) + keyText(key, utf8)));
    if (r.text() != stamp) return false;
    const std::size_t fonts = r.count(1 << 10);
    for (std::size_t i = 0; i < fonts && r.ok; ++i) {
        const std::string path = r.text();
        if (r.text() != fontStateOf(path)) return false;
    }
    ShapedText shaped;
    transfer(r, shaped);
    if (!r.ok || !sound(shaped) || r.text() != "end" || !r.atEnd()) return false;
    out = std::move(shaped);
    return true;
}

void ShapingStore::store(const ShapingKey& key, std::string_view utf8, const ShapedText& shaped,
                         const std::vector<std::string>& inputs) const
{
    if (!enabled()) return;
    const std::string parent = folder_.substr(0, folder_.rfind('/'));
    ::mkdir(parent.substr(0, parent.rfind('/')).c_str(), 0700);
    ::mkdir(parent.c_str(), 0700);
    ::mkdir(folder_.c_str(), 0700);

    Writer stamp;
    stamp(inputs.size());
    for (const std::string& p : inputs) stamp(p, stateOf(p));
    const std::string id = std::to_string(fnv(stamp.out));
    if (id != currentStamp()) {
        replace(stampFile(), withChecksum(header(stampKind), stamp.out));
        const std::lock_guard hold(stampLock_);
        stamp_ = id;
    }

    write(key, utf8, shaped, id);
}

void ShapingStore::storeAgain(const ShapedText& shaped) const
{
    if (!enabled() || !shaped.kept || shaped.masks.size() > maxMasks) return;
    const std::string stamp = currentStamp();
    if (!stamp.empty()) write(shaped.key, shaped.asked, shaped, stamp);
}

void ShapingStore::write(const ShapingKey& key, std::string_view utf8, const ShapedText& shaped,
                         const std::string& stamp) const
{
    Writer w;
    w(stamp, shaped.fonts.size());
    for (const ShapedFont& f : shaped.fonts) w(f.file, stateOf(f.file));
    transfer(w, shaped);
    w(std::string_view("end"));
    replace(fileFor(key, utf8), withChecksum(header(shapingKind) + keyText(key, utf8), w.out));
}

} // namespace tallux
