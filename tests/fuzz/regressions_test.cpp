// Replays every seed and every saved finding of the fuzz targets through the same checks,
// compiled with the normal build: an input that once broke a rule keeps being tried.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/fuzz/fuzz_checks.h"

namespace {

namespace fs = std::filesystem;

struct SavedInput {
    const FuzzTarget* target;
    fs::path path;
};

// Seeds live in corpus/<target>, inputs that once broke a rule in regressions/<target>.
std::vector<SavedInput> savedInputs() {
    std::vector<SavedInput> inputs;
    const fs::path root = fs::path(QUORVALEN_SOURCE_DIR) / "tests" / "fuzz";
    for (const FuzzTarget& target : FUZZ_TARGETS) {
        for (const char* kind : {"corpus", "regressions"}) {
            const fs::path folder = root / kind / target.name;
            if (!fs::is_directory(folder)) continue;
            for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
                if (entry.is_regular_file() && entry.path().filename() != "README")
                    inputs.push_back({&target, entry.path()});
            }
        }
    }
    std::sort(inputs.begin(), inputs.end(), [](const SavedInput& a, const SavedInput& b) { return a.path < b.path; });
    return inputs;
}

std::vector<uint8_t> readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(FuzzRegressions, EverySavedInputKeepsEveryRule) {
    const std::vector<SavedInput> inputs = savedInputs();
    for (const FuzzTarget& target : FUZZ_TARGETS) {
        const bool seeded = std::any_of(inputs.begin(), inputs.end(),
                                        [&](const SavedInput& s) { return s.target == &target; });
        EXPECT_TRUE(seeded) << "no saved input for " << target.name;
    }
    for (const SavedInput& input : inputs) {
        SCOPED_TRACE(input.path.string());
        const std::vector<uint8_t> bytes = readBytes(input.path);
        EXPECT_EQ(input.target->check(bytes.data(), bytes.size()), "");
    }
}

// The checks themselves must hold on the plainest inputs, empty ones included.
TEST(FuzzRegressions, EmptyAndTinyInputsKeepEveryRule) {
    const std::vector<std::vector<uint8_t>> inputs = {{}, {0}, {1}, {2}, {3}, {4}, {5}, {'\n'}, {0xFF, 0xFF}};
    for (const FuzzTarget& target : FUZZ_TARGETS) {
        for (const std::vector<uint8_t>& bytes : inputs) {
            SCOPED_TRACE(std::string(target.name) + ", " + std::to_string(bytes.size()) + " bytes");
            EXPECT_EQ(target.check(bytes.data(), bytes.size()), "");
        }
    }
}

}  // namespace
