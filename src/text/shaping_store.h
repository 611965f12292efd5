#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "text/text_layouts.h"

namespace tallux {

// Shaped text kept on disk between processes, one file per shaping in
// $XDG_CACHE_HOME/tallux/shaping (else ~/.cache/tallux/shaping), so that a
// process that draws a label or two finds its text without starting
// fontconfig. A file holds the shaping's key and the state of every file
// its answer came from (fontconfig's configuration, font folders and
// caches, in one file that the shapings share, and the fonts chosen): anything changed, unreadable
// or from another version is ignored, and rewritten whole. TALLUX_FONT_CACHE=0 turns it off.
class ShapingStore {
public:
    // The store of this process's environment; disabled where it is off or
    // has no folder.
    static ShapingStore& instance();

    bool enabled() const noexcept { return !folder_.empty(); }
    // The kept shaping of utf8 for key, if it still holds.
    bool load(const ShapingKey& key, std::string_view utf8, ShapedText& out) const;
    // Keeps the shaping, with the files it depends on (`inputs`).
    void store(const ShapingKey& key, std::string_view utf8, const ShapedText& shaped,
               const std::vector<std::string>& inputs) const;

    // Writes a kept shaping again with what it has gained since (its glyph
    // masks), under the state of fontconfig it was kept with.
    void storeAgain(const ShapedText& shaped) const;

private:
    // A store in `folder` ("" for none).
    explicit ShapingStore(std::string folder);
    // The file that holds a shaping (one of a bounded number of slots).
    std::string fileFor(const ShapingKey& key, std::string_view utf8) const;
    // What a file of `kind` starts with: the format, the versions and the
    // environment (a shaping's file adds its key).
    std::string header(std::string_view kind) const;
    // The file of the state of fontconfig's files, shared by the shapings,
    // and the checksum of that state while it holds ("" else).
    std::string stampFile() const;
    std::string currentStamp() const;
    void write(const ShapingKey& key, std::string_view utf8, const ShapedText& shaped,
               const std::string& stamp) const;

    std::string folder_;
    std::string environment_; // what of the environment fontconfig and Pango read
    mutable std::mutex stampLock_;
    mutable bool stampRead_ = false;
    mutable std::string stamp_;
};

} // namespace tallux
