// Shared pieces of the analysis core tests.
#include "tests/core/core_test_support.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace {

std::vector<RecordedMessage> recorded;
const AnalysisState* watchedState = nullptr;

void recordMessage(MessageOwner owner, const char* text, const char* caption, MessageIcon icon) {
    recorded.push_back({owner, text,
                        caption ? std::optional<std::string>(caption) : std::nullopt, icon,
                        watchedState ? watchedState->dataValid : -1});
}

struct FieldSpan {
    const char* name;
    std::size_t offset;
    std::size_t size;
};

#define QUORVALEN_FIELD(field) \
    FieldSpan { #field, offsetof(AnalysisState, field), sizeof(AnalysisState::field) }

const FieldSpan RESULT_FIELDS[] = {
    QUORVALEN_FIELD(meanDiameter),       QUORVALEN_FIELD(sdDiameter),
    QUORVALEN_FIELD(seDiameter),         QUORVALEN_FIELD(meanFourthDiameter),
    QUORVALEN_FIELD(sdFourthDiameter),   QUORVALEN_FIELD(seFourthDiameter),
    QUORVALEN_FIELD(meanCircle),         QUORVALEN_FIELD(sdCircle),
    QUORVALEN_FIELD(meanMajor),          QUORVALEN_FIELD(sdMajor),
    QUORVALEN_FIELD(meanMinor),          QUORVALEN_FIELD(sdMinor),
    QUORVALEN_FIELD(meanEccentricity),   QUORVALEN_FIELD(sdEccentricity),
    QUORVALEN_FIELD(meanRadial),         QUORVALEN_FIELD(sdRadial),
    QUORVALEN_FIELD(meanTangential),     QUORVALEN_FIELD(sdTangential),
    QUORVALEN_FIELD(meanRadialTangential), QUORVALEN_FIELD(sdRadialTangential),
    QUORVALEN_FIELD(meanLong),           QUORVALEN_FIELD(sdLong),
    QUORVALEN_FIELD(meanShort),          QUORVALEN_FIELD(sdShort),
    QUORVALEN_FIELD(meanLongShort),      QUORVALEN_FIELD(sdLongShort),
};

const FieldSpan ACCUMULATED_ARRAYS[] = {
    QUORVALEN_FIELD(fileCircularized), QUORVALEN_FIELD(saveClipList),
};

const FieldSpan ACCUMULATED_FIELDS[] = {
    QUORVALEN_FIELD(fileElements),   QUORVALEN_FIELD(filesRead),      QUORVALEN_FIELD(totalElements),
    QUORVALEN_FIELD(totalCircles),   QUORVALEN_FIELD(totalEllipses),
    QUORVALEN_FIELD(totalRects),     QUORVALEN_FIELD(sumD),
    QUORVALEN_FIELD(sumD2),          QUORVALEN_FIELD(sumD4),
    QUORVALEN_FIELD(sumCircle),      QUORVALEN_FIELD(sumCircle2),
    QUORVALEN_FIELD(sumMajor),       QUORVALEN_FIELD(sumMajor2),
    QUORVALEN_FIELD(sumMinor),       QUORVALEN_FIELD(sumMinor2),
    QUORVALEN_FIELD(sumEcc),         QUORVALEN_FIELD(sumEcc2),
    QUORVALEN_FIELD(sumRadial),      QUORVALEN_FIELD(sumRadial2),
    QUORVALEN_FIELD(sumTangential),  QUORVALEN_FIELD(sumTangential2),
    QUORVALEN_FIELD(sumRadTang),     QUORVALEN_FIELD(sumRadTang2),
    QUORVALEN_FIELD(sumLong),        QUORVALEN_FIELD(sumLong2),
    QUORVALEN_FIELD(sumShort),       QUORVALEN_FIELD(sumShort2),
    QUORVALEN_FIELD(sumLongShort),   QUORVALEN_FIELD(sumLongShort2),
    QUORVALEN_FIELD(narrowestDiameter), QUORVALEN_FIELD(widestDiameter),
};

#undef QUORVALEN_FIELD

template <std::size_t N>
void expectSameBytes(const FieldSpan (&fields)[N], const AnalysisState& expected,
                     const AnalysisState& actual) {
    const auto* e = reinterpret_cast<const unsigned char*>(&expected);
    const auto* a = reinterpret_cast<const unsigned char*>(&actual);
    for (const FieldSpan& field : fields) {
        EXPECT_EQ(0, std::memcmp(e + field.offset, a + field.offset, field.size))
            << field.name << " changed";
    }
}

}  // namespace

MessageRecorder::MessageRecorder(const AnalysisState* watched) {
    recorded.clear();
    watchedState = watched;
    setShowMessage(recordMessage);
}

MessageRecorder::~MessageRecorder() {
    setShowMessage(nullptr);
    watchedState = nullptr;
    recorded.clear();
}

const std::vector<RecordedMessage>& MessageRecorder::messages() const { return recorded; }
void MessageRecorder::clear() { recorded.clear(); }

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quorvalen-core-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "cannot create a temporary folder";
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempFolder::write(const std::string& name, const std::string& text) const {
    const std::filesystem::path file = path_ / name;
    std::ofstream out(file, std::ios::binary);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    return file.string();
}

std::unique_ptr<AnalysisState> makeFreshState() {
    auto state = std::make_unique<AnalysisState>();  // value-initialized: all zero
    resetAnalysis(*state);
    return state;
}

void loadFile(AnalysisState& state, const std::string& path, MessageOwner owner) {
    ASSERT_TRUE(setDataFilePath(state, path.c_str())) << path;
    loadDataFile(state, owner);
}

std::string examplePath(const char* name) {
    return std::string(QUORVALEN_SOURCE_DIR) + "/examples/" + name;
}

void expectAccumulationUnchanged(const AnalysisState& before, const AnalysisState& after) {
    expectSameBytes(ACCUMULATED_ARRAYS, before, after);
    expectSameBytes(ACCUMULATED_FIELDS, before, after);
    expectSameBytes(RESULT_FIELDS, before, after);
}

void expectSameTotalsSumsAndResults(const AnalysisState& expected, const AnalysisState& actual) {
    expectSameBytes(ACCUMULATED_FIELDS, expected, actual);
    expectSameBytes(RESULT_FIELDS, expected, actual);
}

void expectSameResults(const AnalysisState& expected, const AnalysisState& actual) {
    expectSameBytes(RESULT_FIELDS, expected, actual);
}

std::string eightDigits(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.7e", value);
    return text;
}
