// Shared pieces of the torture suite.
#include "tests/torture/torture_support.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "tests/fuzz/fuzz_checks.h"

namespace {

std::vector<Shown> recorded;

void record(MessageOwner, const char* text, const char* caption, MessageIcon icon) {
    recorded.push_back({text, caption != nullptr, icon});
}

}  // namespace

const char EXAMPLE_FILE[] = "Transect A\n0.000001\n2\n31.5\n28\n1\n40 25\n1\n30 20\n";

MessageCapture::MessageCapture() {
    recorded.clear();
    setShowMessage(record);
}
MessageCapture::~MessageCapture() { setShowMessage(nullptr); }
const std::vector<Shown>& MessageCapture::shown() const { return recorded; }
void MessageCapture::clear() { recorded.clear(); }

TempTree::TempTree() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quorvalen-torture-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    root_ = pattern;
}

TempTree::~TempTree() {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
}

std::string TempTree::write(const std::string& name, const std::string& bytes) const {
    const std::filesystem::path path = root_ / name;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
}

void writeRepeated(const std::string& path, const std::string& head, const std::string& chunk,
                   std::size_t count, const std::string& tail) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    // Many copies of the chunk per write: a few hundred writes for 100 MB.
    std::string block;
    const std::size_t perBlock = chunk.empty() ? 0 : std::max<std::size_t>(1, (1 << 20) / chunk.size());
    for (std::size_t i = 0; i < perBlock; ++i) block += chunk;
    std::fwrite(head.data(), 1, head.size(), file);
    std::size_t left = count;
    while (left >= perBlock && perBlock > 0) {
        std::fwrite(block.data(), 1, block.size(), file);
        left -= perBlock;
    }
    for (; left > 0; --left) std::fwrite(chunk.data(), 1, chunk.size(), file);
    std::fwrite(tail.data(), 1, tail.size(), file);
    ASSERT_EQ(std::fclose(file), 0);
}

std::unique_ptr<AnalysisState> freshState() {
    auto state = std::make_unique<AnalysisState>();
    std::memset(state.get(), 0, sizeof *state);
    resetAnalysis(*state);
    state->dataValid = 0;
    return state;
}

LoadOutcome loadPath(AnalysisState& state, const std::string& path) {
    MessageCapture capture;
    EXPECT_TRUE(setDataFilePath(state, path.c_str())) << path.size() << " bytes";
    loadDataFile(state, nullptr);
    return {state.dataValid == 1, capture.shown()};
}

std::string changedAccumulation(const AnalysisState& before, const AnalysisState& after) {
    const char* field = changedAccumulatedField(before, after);
    return field != nullptr ? field : "";
}

std::string badDataMessage(const std::string& path, int line) {
    return "Data file " + path + ", line " + std::to_string(line);
}

std::string cannotFindMessage(const std::string& path) { return "Cannot find file " + path; }
