// Every drawing method onto a target that does nothing and onto the recording
// target, the floor of 95 virtual Line calls, and zint for the same data.
#include <benchmark/benchmark.h>
#include <zint.h>

#include <cstring>
#include <string>

#include "alloc_counter.h"
#include "files.h"
#include "tallux/recording_target.h"
#include "tallux/tallux.h"
#include "tallux/types.h"

using namespace tallux;
using tallux::bench::reportAllocations;

namespace {

// Takes every call and does nothing with it.
class NullTarget final : public Target {
public:
    void FontName(const String&) override {}
    void ForeColor(Long) override {}
    void FontBold(Boolean) override {}
    void FontSize(Integer) override {}
    void CurrentX(Number) override {}
    void CurrentY(Single) override {}
    void Line(Integer, Integer, Single, Integer, Single, Long) override {}
    void Print(const String&) override {}
    Number TextWidth(const String& s) override
    {
        return Single(7.0f * static_cast<float>(s.size()));
    }
    Number TextHeight(const String&) override { return Single(12); }
};

// Adds up the arguments of every Line, so the calls cannot be optimised away.
class SumTarget final : public Target {
public:
    long sum = 0;
    void Line(Integer, Integer x1, Single, Integer x2, Single, Long color) override
    {
        sum += x1.value() + x2.value() + color;
    }
};

template <class TargetType>
void drawMethod(benchmark::State& state, const MethodInfo& method, int text)
{
    TargetType target;
    Tallux control;
    DrawParams p;
    p.pObject = &target;
    p.pText = text;
    p.pWidth = 2;
    p.pHeight = 100;
    const String code(method.sample);
    const std::size_t before = heapAllocations();
    for (auto _ : state) {
        p.pCode = code;
        benchmark::DoNotOptimize(control.draw(method.type, p));
        if constexpr (std::is_same_v<TargetType, RecordingTarget>) target.clear();
    }
    reportAllocations(state, before);
}

void floorLine(benchmark::State& state, Target& target)
{
    Target* t = &target;
    benchmark::DoNotOptimize(t);
    for (auto _ : state) {
        Integer x = 10;
        for (int i = 0; i < 95; ++i) {
            t->Line(filledBox, x, 10.0f, x + Integer(1), 110.0f, i % 2 ? white : 0);
            x += Integer(2);
        }
    }
}

void zintEncodeReused(benchmark::State& state)
{
    zint_symbol* symbol = ZBarcode_Create();
    const char* data = "400638133393";
    const std::size_t before = heapAllocations();
    for (auto _ : state) {
        ZBarcode_Clear(symbol);
        symbol->symbology = BARCODE_EANX;
        benchmark::DoNotOptimize(ZBarcode_Encode(symbol,
                                                 reinterpret_cast<const unsigned char*>(data),
                                                 static_cast<int>(std::strlen(data))));
    }
    reportAllocations(state, before);
    ZBarcode_Delete(symbol);
}

void zintCreateEncodeDelete(benchmark::State& state)
{
    const char* data = "400638133393";
    for (auto _ : state) {
        zint_symbol* symbol = ZBarcode_Create();
        symbol->symbology = BARCODE_EANX;
        benchmark::DoNotOptimize(ZBarcode_Encode(symbol,
                                                 reinterpret_cast<const unsigned char*>(data),
                                                 static_cast<int>(std::strlen(data))));
        ZBarcode_Delete(symbol);
    }
}

void zintEncodeAndBuffer(benchmark::State& state)
{
    const char* data = "400638133393";
    for (auto _ : state) {
        zint_symbol* symbol = ZBarcode_Create();
        symbol->symbology = BARCODE_EANX;
        benchmark::DoNotOptimize(
            ZBarcode_Encode_and_Buffer(symbol, reinterpret_cast<const unsigned char*>(data),
                                       static_cast<int>(std::strlen(data)), 0));
        ZBarcode_Delete(symbol);
    }
}

int registerAll()
{
    for (const MethodInfo& m : drawingMethods) {
        const std::string name(m.name);
        benchmark::RegisterBenchmark((name + "/null/notext").c_str(), [&m](benchmark::State& s) {
            drawMethod<NullTarget>(s, m, 0);
        });
        benchmark::RegisterBenchmark((name + "/null/text").c_str(), [&m](benchmark::State& s) {
            drawMethod<NullTarget>(s, m, 1);
        });
        benchmark::RegisterBenchmark((name + "/recording/text").c_str(), [&m](benchmark::State& s) {
            drawMethod<RecordingTarget>(s, m, 1);
        });
    }
    benchmark::RegisterBenchmark("floor/95-lines/empty", [](benchmark::State& s) {
        NullTarget t;
        floorLine(s, t);
    });
    benchmark::RegisterBenchmark("floor/95-lines/sum", [](benchmark::State& s) {
        SumTarget t;
        floorLine(s, t);
        benchmark::DoNotOptimize(t.sum);
    });
    benchmark::RegisterBenchmark("zint/EAN13/encode-reused", zintEncodeReused);
    benchmark::RegisterBenchmark("zint/EAN13/create-encode-delete", zintCreateEncodeDelete);
    benchmark::RegisterBenchmark("zint/EAN13/encode-and-buffer", zintEncodeAndBuffer);
    tallux::bench::registerFileBenchmarks();
    return 0;
}

const int registered = registerAll();

} // namespace

BENCHMARK_MAIN();
