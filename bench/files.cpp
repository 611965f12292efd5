// EAN-13 with text to a PNG, SVG and PDF file, ours through the file pages
// and zint through its library, each symbol made from nothing and written to
// a file in a memory-backed directory.
#include "files.h"

#include <benchmark/benchmark.h>
#include <zint.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <unistd.h>

#include "alloc_counter.h"
#include "pages/display_list.h"
#include "tallux/page.h"
#include "tallux/tallux.h"
#include "tallux/types.h"

namespace tallux::bench {

namespace {

constexpr const char* ean13Data = "400638133393";

// A fresh directory on a memory-backed file system (/dev/shm where there is
// one), removed at the end, so that the disk does not enter the timings.
class TempDir {
public:
    TempDir()
    {
        const char* base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : nullptr;
        if (base == nullptr) base = std::getenv("TMPDIR");
        std::string pattern = std::string(base ? base : "/tmp") + "/tallux-bench-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot make a directory for the files");
        path_ = pattern;
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string file(const char* name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Written as zint writes its files: open, write, close.
void writeFile(const std::string& path, const std::string& bytes)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) throw std::runtime_error("cannot open " + path);
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (std::fclose(f) != 0 || !written) throw std::runtime_error("cannot write " + path);
}

// A module of 2 pixels, bars 100 pixels high and 10-point digits: about
// the size of zint's EAN-13 at its default scale.
PageOptions pageOptions()
{
    PageOptions options;
    options.scale = Scale{ScaleUnits::Twips, 144};
    return options;
}

DrawParams ean13Params()
{
    DrawParams p;
    p.pWidth = 20;
    p.pHeight = 1000;
    p.pText = 1;
    p.pFont = u"DejaVu Sans";
    return p;
}

// What `tallux draw` does for one file: draw on the page, lay it out, encode.
std::string drawFile(FileFormat format, const PageOptions& options, DrawParams& p)
{
    Tallux control;
    FilePage page(format, options);
    p.pObject = &page.target();
    if (control.BarEAN13(p.pObject, p.pX, p.pY, p.pCode, p.pWidth, p.pHeight, p.pText, p.pBold,
                         p.pFont, p.pForeColor, p.pLineColor, p.pRatio, p.pChk) != 0)
        throw std::runtime_error("the symbol was not drawn");
    return page.finish();
}

void oursToFile(benchmark::State& state, FileFormat format, const char* name, bool write = true)
{
    const TempDir dir;
    const std::string path = dir.file(name);
    const PageOptions options = pageOptions();
    DrawParams p = ean13Params();
    const String code = fromUtf8(ean13Data);
    std::size_t bytes = 0;
    const std::size_t before = heapAllocations();
    for (auto _ : state) {
        p.pCode = code;
        const std::string file = drawFile(format, options, p);
        if (write) writeFile(path, file);
        bytes = file.size();
    }
    reportAllocations(state, before);
    state.counters["bytes"] = static_cast<double>(bytes);
}

// The drawing kept for a page, without the file: what recording costs.
void oursRecorded(benchmark::State& state)
{
    const PageOptions options = pageOptions();
    DrawParams p = ean13Params();
    const String code = fromUtf8(ean13Data);
    Tallux control;
    PageTarget page(FileFormat::Png, options.scale);
    const std::size_t before = heapAllocations();
    for (auto _ : state) {
        page.clear();
        p.pObject = &page;
        p.pCode = code;
        control.BarEAN13(p.pObject, p.pX, p.pY, p.pCode, p.pWidth, p.pHeight, p.pText, p.pBold,
                         p.pFont, p.pForeColor, p.pLineColor, p.pRatio, p.pChk);
        benchmark::DoNotOptimize(page.list().drawn);
    }
    reportAllocations(state, before);
}

void zintToFile(benchmark::State& state, const char* name)
{
    const TempDir dir;
    const std::string path = dir.file(name);
    const std::size_t before = heapAllocations();
    for (auto _ : state) {
        zint_symbol* symbol = ZBarcode_Create();
        symbol->symbology = BARCODE_EANX;
        std::strncpy(symbol->outfile, path.c_str(), sizeof symbol->outfile - 1);
        if (ZBarcode_Encode_and_Print(symbol, reinterpret_cast<const unsigned char*>(ean13Data),
                                      static_cast<int>(std::strlen(ean13Data)), 0) >= ZINT_ERROR)
            state.SkipWithError(symbol->errtxt);
        ZBarcode_Delete(symbol);
    }
    reportAllocations(state, before);
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
}

} // namespace

void reportAllocations(benchmark::State& state, std::size_t before)
{
    state.counters["allocs/call"] = benchmark::Counter(
        static_cast<double>(heapAllocations() - before) /
        static_cast<double>(std::max<benchmark::IterationCount>(1, state.iterations())));
}

void registerFileBenchmarks()
{
    benchmark::RegisterBenchmark("file/EAN13/png", [](benchmark::State& s) {
        oursToFile(s, FileFormat::Png, "symbol.png");
    });
    benchmark::RegisterBenchmark("file/EAN13/svg", [](benchmark::State& s) {
        oursToFile(s, FileFormat::Svg, "symbol.svg");
    });
    benchmark::RegisterBenchmark("file/EAN13/pdf", [](benchmark::State& s) {
        oursToFile(s, FileFormat::Pdf, "symbol.pdf");
    });
    benchmark::RegisterBenchmark("memory/EAN13/png", [](benchmark::State& s) {
        oursToFile(s, FileFormat::Png, "symbol.png", false);
    });
    benchmark::RegisterBenchmark("memory/EAN13/svg", [](benchmark::State& s) {
        oursToFile(s, FileFormat::Svg, "symbol.svg", false);
    });
    benchmark::RegisterBenchmark("memory/EAN13/record", oursRecorded);
    benchmark::RegisterBenchmark("zint/EAN13/png-file",
                                 [](benchmark::State& s) { zintToFile(s, "symbol.png"); });
    benchmark::RegisterBenchmark("zint/EAN13/svg-file",
                                 [](benchmark::State& s) { zintToFile(s, "symbol.svg"); });
}

} // namespace tallux::bench
