#pragma once
// Loads a tune of the shared test data for a benchmark; marks the benchmark
// skipped and returns null when the data is absent or the tune does not load.
#include "tune/SidTune.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

inline std::unique_ptr<notecast::SidTune> loadSharedTune(benchmark::State& state, const char* file,
                                                          const char* folder = "psid") {
    const std::filesystem::path path =
        std::filesystem::path(NOTECAST_SHARED_DIR) / "testdata" / folder / file;
    if (!std::filesystem::exists(path)) {
        state.SkipWithError("tune not found in the shared test data");
        return nullptr;
    }
    auto tune = std::make_unique<notecast::SidTune>(path.string().c_str());
    if (!tune->status()) {
        state.SkipWithError("tune did not load");
        return nullptr;
    }
    return tune;
}
