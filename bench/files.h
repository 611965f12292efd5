#pragma once

#include <benchmark/benchmark.h>

#include <cstddef>

namespace tallux::bench {

// The heap allocations since `before`, per iteration, as a counter.
void reportAllocations(benchmark::State& state, std::size_t before);

// EAN-13 with text to PNG, SVG and PDF files, ours and zint's.
void registerFileBenchmarks();

} // namespace tallux::bench
