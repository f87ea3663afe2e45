// The walk through the Open dialog's selection buffer, and the loading of each chosen path.
#include "shell/open_selection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The buffer exactly as the dialog leaves it: the bytes given, zeros after them.
std::vector<char> dialogBuffer(const std::string& bytes, std::size_t capacity) {
    std::vector<char> buffer(capacity, '\0');
    std::copy(bytes.begin(), bytes.end(), buffer.begin());
    return buffer;
}

std::vector<std::string> walk(const std::vector<char>& buffer, std::size_t fileOffset, char separator,
                              std::size_t outCapacity) {
    std::vector<std::string> paths;
    SelectionCursor cursor = beginSelection(buffer.data(), buffer.size(), fileOffset);
    std::vector<char> out(outCapacity + 1, '#');  // one guard byte past the capacity
    while (nextSelectedPath(cursor, separator, out.data(), outCapacity)) {
        paths.emplace_back(out.data());
        EXPECT_EQ(out[outCapacity], '#') << "written past the capacity";
    }
    EXPECT_EQ(out[outCapacity], '#') << "written past the capacity";
    return paths;
}

using namespace std::string_literals;

struct WalkCase {
    const char* name;
    std::string bytes;
    std::size_t capacity;
    std::size_t fileOffset;
    char separator;
    std::size_t outCapacity;
    std::vector<std::string> expected;
};

TEST(SelectionWalk, YieldsEveryChosenPathInDialogOrder) {
    const WalkCase cases[] = {
        {"one file: the whole path", "/data/oak/a.dat"s, 2600, 10, '/', 2600, {"/data/oak/a.dat"}},
        {"one file typed without a folder", "missing.dat"s, 2600, 0, '/', 2600, {"missing.dat"}},
        {"three files in one folder", "/data/oak\0b.dat\0a.dat\0c.dat\0\0"s, 2600, 10, '/', 2600,
         {"/data/oak/b.dat", "/data/oak/a.dat", "/data/oak/c.dat"}},
        {"Windows separator", "C:\\wood\0a.dat\0b.dat\0\0"s, 2600, 8, '\\', 2600,
         {"C:\\wood\\a.dat", "C:\\wood\\b.dat"}},
        {"a drive's root doubles the separator", "C:\\\0a.dat\0b.dat\0\0"s, 2600, 4, '\\', 2600,
         {"C:\\\\a.dat", "C:\\\\b.dat"}},
        {"names with spaces", "/d\0x y.dat\0z.dat\0\0"s, 2600, 3, '/', 2600, {"/d/x y.dat", "/d/z.dat"}},
        {"nothing chosen", ""s, 2600, 0, '/', 2600, {}},
        // A buffer filled to its last byte: the last name has no terminator and is not taken.
        {"last name cut by the capacity", "/d\0a.dat\0bbbb"s, 13, 3, '/', 2600, {"/d/a.dat"}},
        {"no terminator at all", "/ddddddddd"s, 10, 3, '/', 2600, {}},
        {"offset past the buffer", "/d\0a.dat\0\0"s, 10, 40, '/', 2600, {}},
        // A path that does not fit the output ends the walk instead of being cut.
        {"one path too long for out", "/data/a.dat"s, 2600, 6, '/', 11, {}},
        {"one path just fits out", "/data/a.dat"s, 2600, 6, '/', 12, {"/data/a.dat"}},
        {"second path too long for out", "/d\0a.dat\0bbbbbbbb.dat\0c.dat\0\0"s, 2600, 3, '/', 10,
         {"/d/a.dat"}},
    };
    for (const WalkCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(walk(dialogBuffer(c.bytes, c.capacity), c.fileOffset, c.separator, c.outCapacity),
                  c.expected);
    }
}

TEST(SelectionWalk, AFullBufferAlwaysFitsAnOutputOfTheSameCapacity) {
    // The largest selection the dialog can return: a long folder and a long name filling
    // OPEN_FILE_BUFFER_CAPACITY exactly, with both terminators and the final empty name.
    std::string folder = "/" + std::string(1200, 'f');
    std::string name = std::string(OPEN_FILE_BUFFER_CAPACITY - folder.size() - 3, 'n');
    std::string bytes = folder + '\0' + name + '\0' + '\0';
    ASSERT_EQ(bytes.size(), OPEN_FILE_BUFFER_CAPACITY);
    std::vector<std::string> paths =
        walk(dialogBuffer(bytes, OPEN_FILE_BUFFER_CAPACITY), folder.size() + 1, '/', OPEN_FILE_BUFFER_CAPACITY);
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_EQ(paths[0], folder + "/" + name);
}

// What the analysis core showed, and the flag at the moment it showed it.
struct ShownMessage {
    std::string text;
    bool hasCaption;
    MessageIcon icon;
    int32_t dataValidWhileShown;
};
std::vector<ShownMessage> shown;
AnalysisState* watchedState;

void recordMessage(MessageOwner, const char* text, const char* caption, MessageIcon icon) {
    shown.push_back({text, caption != nullptr, icon, watchedState->dataValid});
}

TEST(LoadSelectedFile, APathTooLongForTheRecordIsReportedAsAFileThatCannotBeFound) {
    static AnalysisState state;
    resetAnalysis(state);
    state.dataValid = 1;
    state.filesRead = 2;
    ASSERT_TRUE(setDataFilePath(state, "/data/previous.dat"));
    watchedState = &state;
    shown.clear();
    setShowMessage(recordMessage);

    std::string tooLong = "/" + std::string(DATA_FILE_PATH_CAPACITY, 'p') + ".dat";
    loadSelectedFile(state, nullptr, tooLong.c_str());

    setShowMessage(nullptr);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Cannot find file " + tooLong);
    EXPECT_FALSE(shown[0].hasCaption);
    EXPECT_EQ(shown[0].icon, MessageIcon::error);
    EXPECT_EQ(shown[0].dataValidWhileShown, 1) << "the flag is cleared after the box is dismissed";
    EXPECT_EQ(state.dataValid, 0);
    EXPECT_EQ(state.filesRead, 2);
    EXPECT_STREQ(state.dataFilePath, "/data/previous.dat");
}

}  // namespace
