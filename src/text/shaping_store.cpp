#include "text/shaping_store.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <system_error>
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
// Glyph masks kept with a text.
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

std::string versions()
{
    return std::string(version::text) + ' ' + cairo_version_string() + ' ' +
           std::to_string(FcGetVersion()) + ' ' + HB_VERSION_STRING;
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

class Writer {
public:
    void number(long long v) { out_ += std::to_string(v) + ' '; }
    void real(double v)
    {
        char buffer[32];
        const auto r = std::to_chars(buffer, buffer + sizeof buffer, v);
        out_.append(buffer, r.ptr);
        out_ += ' ';
    }
    void text(std::string_view s)
    {
        number(static_cast<long long>(s.size()));
        out_ += s;
        out_ += '\n';
    }
    std::string& out() { return out_; }

private:
    std::string out_;
};

// Reads what Writer wrote; any fault leaves `ok` false for good.
class Reader {
public:
    explicit Reader(std::string_view in)
        : in_(in)
    {
    }
    bool ok = true;
    long long number()
    {
        long long v = 0;
        return parsed(std::from_chars(in_.data() + at_, in_.data() + in_.size(), v)) ? v : 0;
    }
    int integer()
    {
        const long long v = number();
        if (v >= INT32_MIN && v <= INT32_MAX) return static_cast<int>(v);
        fail();
        return 0;
    }
    std::size_t count(std::size_t limit)
    {
        const long long v = number();
        if (v >= 0 && static_cast<unsigned long long>(v) <= limit)
            return static_cast<std::size_t>(v);
        fail();
        return 0;
    }
    double real()
    {
        double v = 0;
        return parsed(std::from_chars(in_.data() + at_, in_.data() + in_.size(), v)) ? v : 0;
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
    void fail()
    {
        ok = false;
        at_ = in_.size();
    }
    // A number read up to the space after it.
    bool parsed(std::from_chars_result r)
    {
        if (r.ec != std::errc() || r.ptr == in_.data() + in_.size() || *r.ptr != ' ') {
            fail();
            return false;
        }
        at_ = static_cast<std::size_t>(r.ptr - in_.data()) + 1;
        return true;
    }
    std::string_view in_;
    std::size_t at_ = 0;
};

void writeKey(Writer& w, const ShapingKey& key, std::string_view utf8)
{
    w.number(key.surface);
    for (const double v : {key.xx, key.yx, key.xy, key.yy}) w.real(v);
    w.text(key.family);
    w.number(key.bold);
    w.real(key.size);
    w.text(utf8);
}

void writeShaped(Writer& w, const ShapedText& t)
{
    w.text(t.text);
    w.text(t.askedFamily);
    w.real(t.askedSize);
    w.number(t.askedBold);
    for (const TextBox& b : {t.logical, t.ink})
        for (const int v : {b.x, b.y, b.width, b.height}) w.number(v);
    w.number(t.baseline);
    w.number(t.lines);
    w.number(static_cast<long long>(t.fonts.size()));
    for (const ShapedFont& f : t.fonts) {
        w.text(f.pattern);
        w.text(f.file);
        w.number(f.index);
        w.text(f.family);
        for (const double v : f.matrix) w.real(v);
        for (const int v : {f.antialias, f.subpixelOrder, f.hintStyle, f.hintMetrics}) w.number(v);
        w.text(f.variations);
        w.number(f.emboldened);
        w.number(f.transformed);
    }
    w.number(static_cast<long long>(t.runs.size()));
    for (const ShapedRun& r : t.runs) {
        for (const int v : {r.font, r.x, r.baseline, r.offset, r.length, int{r.backward}})
            w.number(v);
        w.number(static_cast<long long>(r.glyphs.size()));
        for (const ShapedGlyph& g : r.glyphs)
            for (const long long v :
                 {static_cast<long long>(g.id), static_cast<long long>(g.xOffset),
                  static_cast<long long>(g.yOffset), static_cast<long long>(g.width),
                  static_cast<long long>(g.cluster)})
                w.number(v);
        w.number(static_cast<long long>(r.clusters.size()));
        for (const ShapedCluster& c : r.clusters) w.number(c.bytes), w.number(c.glyphs);
    }
    // The first few glyph masks, for the positions a label's text takes.
    const std::size_t masks = std::min<std::size_t>(t.masks.size(), maxMasks);
    w.number(static_cast<long long>(masks));
    for (std::size_t i = 0; i < masks; ++i) {
        const GlyphMask& m = t.masks[i];
        w.real(m.fractionX);
        w.real(m.fractionY);
        for (const int v : {m.left, m.top, m.width, m.height}) w.number(v);
        w.text(
            std::string_view(reinterpret_cast<const char*>(m.coverage.data()), m.coverage.size()));
    }
}

bool readShaped(Reader& r, ShapedText& t)
{
    t.text = r.text();
    t.askedFamily = r.text();
    t.askedSize = r.real();
    t.askedBold = r.number() != 0;
    for (TextBox* b : {&t.logical, &t.ink})
        for (int* v : {&b->x, &b->y, &b->width, &b->height}) *v = r.integer();
    t.baseline = r.integer();
    t.lines = r.integer();
    t.fonts.resize(r.count(1024));
    for (ShapedFont& f : t.fonts) {
        f.pattern = r.text();
        f.file = r.text();
        f.index = r.integer();
        f.family = r.text();
        for (double& v : f.matrix) v = r.real();
        for (int* v : {&f.antialias, &f.subpixelOrder, &f.hintStyle, &f.hintMetrics})
            *v = r.integer();
        f.variations = r.text();
        f.emboldened = r.number() != 0;
        f.transformed = r.number() != 0;
    }
    t.runs.resize(r.count(1 << 20));
    for (ShapedRun& run : t.runs) {
        run.font = r.integer();
        if (run.font < 0 || static_cast<std::size_t>(run.font) >= t.fonts.size()) r.ok = false;
        run.x = r.integer(), run.baseline = r.integer();
        run.offset = r.integer(), run.length = r.integer();
        run.backward = r.number() != 0;
        if (run.offset < 0 || run.length < 0 ||
            static_cast<std::size_t>(run.offset) + static_cast<std::size_t>(run.length) >
                t.text.size())
            r.ok = false;
        run.glyphs.resize(r.count(1 << 20));
        for (ShapedGlyph& g : run.glyphs) {
            g.id = static_cast<std::uint32_t>(r.number());
            g.xOffset = r.integer(), g.yOffset = r.integer(), g.width = r.integer();
            g.cluster = r.integer();
            if (g.cluster < 0 || g.cluster > run.length) r.ok = false;
        }
        run.clusters.resize(r.count(1 << 20));
        for (ShapedCluster& c : run.clusters) c.bytes = r.integer(), c.glyphs = r.integer();
        // cairo takes clusters that cover the run's text and drawn glyphs.
        long long bytes = 0, glyphs = 0, drawn = 0;
        for (const ShapedCluster& c : run.clusters) {
            if (c.bytes < 0 || c.glyphs < 0) return false;
            bytes += c.bytes, glyphs += c.glyphs;
        }
        for (const ShapedGlyph& g : run.glyphs)
            drawn += g.id != emptyGlyph && (g.id & unknownGlyphFlag) == 0;
        if (!r.ok || (!run.clusters.empty() && (bytes != run.length || glyphs != drawn)))
            return false;
    }
    t.masks.resize(r.count(maxMasks));
    for (GlyphMask& m : t.masks) {
        m.fractionX = r.real();
        m.fractionY = r.real();
        for (int* v : {&m.left, &m.top, &m.width, &m.height}) *v = r.integer();
        const std::string coverage = r.text();
        constexpr int far = 1 << 20, wide = 1 << 14;
        if (m.width < 0 || m.height < 0 || m.width > wide || m.height > wide ||
            std::abs(m.left) > far || std::abs(m.top) > far ||
            coverage.size() !=
                static_cast<std::size_t>(m.width) * static_cast<std::size_t>(m.height))
            return false;
        m.coverage.assign(coverage.begin(), coverage.end());
    }
    return r.ok;
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

} // namespace

namespace {
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
    Writer w;
    writeKey(w, key, utf8);
    char name[24];
    std::snprintf(name, sizeof name, "/%03x",
                  static_cast<unsigned>(fnv(w.out() + environment_) % slots));
    return folder_ + name;
}

std::string ShapingStore::header(const ShapingKey& key, std::string_view utf8) const
{
    Writer w;
    w.text("tallux-shaping");
    w.number(format);
    w.text(versions());
    w.text(environment_);
    writeKey(w, key, utf8);
    return std::move(w.out());
}

std::string ShapingStore::stampHeader() const
{
    Writer w;
    w.text("tallux-fontconfig");
    w.number(format);
    w.text(versions());
    w.text(environment_);
    return std::move(w.out());
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
        const std::string_view body = checkedBody(file, stampHeader());
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
    Reader r(checkedBody(file, header(key, utf8)));
    if (r.text() != stamp) return false;
    const std::size_t fonts = r.count(1 << 10);
    for (std::size_t i = 0; i < fonts && r.ok; ++i) {
        const std::string path = r.text();
        if (r.text() != fontStateOf(path)) return false;
    }
    ShapedText shaped;
    if (!readShaped(r, shaped) || r.text() != "end" || !r.atEnd()) return false;
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
    stamp.number(static_cast<long long>(inputs.size()));
    for (const std::string& p : inputs) {
        stamp.text(p);
        stamp.text(stateOf(p));
    }
    const std::string id = std::to_string(fnv(stamp.out()));
    if (id != currentStamp()) {
        replace(stampFile(), withChecksum(stampHeader(), stamp.out()));
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
    w.text(stamp);
    w.number(static_cast<long long>(shaped.fonts.size()));
    for (const ShapedFont& f : shaped.fonts) {
        w.text(f.file);
        w.text(stateOf(f.file));
    }
    writeShaped(w, shaped);
    w.text("end");
    replace(fileFor(key, utf8), withChecksum(header(key, utf8), w.out()));
}

} // namespace tallux
