// The cost of loading one realistic data file (1000 circles, 1000 ellipses and 1000
// rectangles of vessel sizes in micrometres, scale factor 1e-6), and of its parts: the
// reader alone, circularization, and the statistics. The load should cost at most twice
// the reader alone.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "core/analysis_state.h"
#include "core/circularize.h"
#include "core/data_file.h"
#include "core/statistics.h"

namespace {

// Vessels of 10 to 200 um written to one decimal like a measuring program; ellipse axes
// and rectangle sides with aspect ratios from 0.3 to 3. CR LF line ends.
std::string realisticFileText() {
    std::mt19937 random(1234);
    std::uniform_real_distribution<double> vessel(10.0, 200.0);
    std::uniform_real_distribution<double> aspect(0.3, 3.0);
    std::string text = "Transect B, outer xylem\r\n0.000001\r\n1000\r\n";
    char line[64];
    for (int i = 0; i < 1000; ++i) {
        std::snprintf(line, sizeof line, "%.1f\r\n", vessel(random));
        text += line;
    }
    text += "1000\r\n";
    for (int i = 0; i < 1000; ++i) {
        const double side = vessel(random);
        std::snprintf(line, sizeof line, "%.1f %.1f\r\n", side, side * aspect(random));
        text += line;
    }
    text += "1000\r\n";
    for (int i = 0; i < 1000; ++i) {
        const double side = vessel(random);
        std::snprintf(line, sizeof line, "%.2f %.2f\r\n", side, side * aspect(random));
        text += line;
    }
    return text;
}

// The file, written once to the temporary folder, and the analysis record.
struct BenchFile {
    std::filesystem::path path;
    std::size_t size;
    std::unique_ptr<AnalysisState> state = std::make_unique<AnalysisState>();

    BenchFile() {
        const std::string text = realisticFileText();
        size = text.size();
        path = std::filesystem::temp_directory_path() / "quorvalen-bench-realistic.dat";
        std::ofstream(path, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
        resetAnalysis(*state);
        if (!setDataFilePath(*state, path.string().c_str())) std::abort();
    }
    ~BenchFile() {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
    }
};

BenchFile& benchFile() {
    static BenchFile file;
    return file;
}

void BM_LoadDataFile(benchmark::State& bench) {
    BenchFile& file = benchFile();
    AnalysisState& state = *file.state;
    for (auto _ : bench) {
        resetAnalysis(state);
        loadDataFile(state, nullptr);
        benchmark::DoNotOptimize(state.meanDiameter);
    }
    if (state.dataValid != 1 || state.fileElements != 3000) bench.SkipWithError("load failed");
    bench.SetBytesProcessed(bench.iterations() * static_cast<int64_t>(file.size));
}
BENCHMARK(BM_LoadDataFile)->Unit(benchmark::kMicrosecond);

void BM_ReadDataFile(benchmark::State& bench) {
    BenchFile& file = benchFile();
    AnalysisState& state = *file.state;
    for (auto _ : bench) {
        const bool read = readDataFile(state, nullptr);
        benchmark::DoNotOptimize(read);
    }
    if (state.fileRects != 1000) bench.SkipWithError("read failed");
    bench.SetBytesProcessed(bench.iterations() * static_cast<int64_t>(file.size));
}
BENCHMARK(BM_ReadDataFile)->Unit(benchmark::kMicrosecond);

// Circularization alone: the measurements are put back unscaled before each run (a copy
// of 20 KB, small beside the work).
void BM_CircularizeFile(benchmark::State& bench) {
    AnalysisState& state = *benchFile().state;
    if (!readDataFile(state, nullptr)) bench.SkipWithError("read failed");
    auto unscaled = std::make_unique<AnalysisState>(state);
    for (auto _ : bench) {
        std::copy(std::begin(unscaled->circleDiameter), std::end(unscaled->circleDiameter), state.circleDiameter);
        std::copy(std::begin(unscaled->ellipseMajor), std::end(unscaled->ellipseMajor), state.ellipseMajor);
        std::copy(std::begin(unscaled->ellipseMinor), std::end(unscaled->ellipseMinor), state.ellipseMinor);
        std::copy(std::begin(unscaled->rectRadial), std::end(unscaled->rectRadial), state.rectRadial);
        std::copy(std::begin(unscaled->rectTangential), std::end(unscaled->rectTangential), state.rectTangential);
        circularizeFile(state);
        benchmark::DoNotOptimize(state.fileCircularized[2999]);
    }
}
BENCHMARK(BM_CircularizeFile)->Unit(benchmark::kMicrosecond);

void BM_AccumulateStatistics(benchmark::State& bench) {
    AnalysisState& state = *benchFile().state;
    resetAnalysis(state);
    loadDataFile(state, nullptr);
    for (auto _ : bench) {
        resetAnalysis(state);
        state.totalCircles = state.totalEllipses = state.totalRects = 1000;
        state.totalElements = 3000;
        accumulateStatistics(state, nullptr);
        benchmark::DoNotOptimize(state.sdFourthDiameter);
    }
}
BENCHMARK(BM_AccumulateStatistics)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
