// Data files as people, programs and disks really produce them: odd bytes, odd line ends,
// odd encodings, enormous files. Each one either loads or is refused with exactly one
// message at the right line of the layout, and a refusal changes nothing accumulated.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/torture/torture_support.h"

using namespace std::string_literals;

namespace {

struct ContentCase {
    const char* name;
    std::string bytes;
    int failLine;          // 0: the file loads
    int32_t elements;      // shapes of a file that loads
    std::string setName;   // the set name kept, as a C string; "" when not looked at
};

std::string exampleWith(const std::string& from, const std::string& to) {
    std::string text = EXAMPLE_FILE;
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

const std::string EXAMPLE_BODY = std::string(EXAMPLE_FILE).substr(std::strlen("Transect A\n"));

// A file that loads first, so that a refusal has something to leave alone.
void loadGoodFile(AnalysisState& state, const TempTree& tree) {
    ASSERT_TRUE(loadPath(state, tree.write("good.dat", EXAMPLE_FILE)).accepted);
}

void expectOutcome(const ContentCase& c, AnalysisState& state, const std::string& path) {
    const auto before = std::make_unique<AnalysisState>(state);
    const LoadOutcome outcome = loadPath(state, path);
    if (c.failLine == 0) {
        EXPECT_TRUE(outcome.accepted);
        EXPECT_TRUE(outcome.messages.empty()) << outcome.messages.front().text;
        EXPECT_EQ(state.fileElements, c.elements);
        EXPECT_EQ(state.filesRead, before->filesRead + 1);
        if (!c.setName.empty()) {
            EXPECT_EQ(std::string(state.setName), c.setName);
        }
        return;
    }
    EXPECT_FALSE(outcome.accepted);
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_EQ(outcome.messages[0].text, badDataMessage(path, c.failLine));
    EXPECT_FALSE(outcome.messages[0].hasCaption);
    EXPECT_EQ(outcome.messages[0].icon, MessageIcon::error);
    EXPECT_EQ(changedAccumulation(*before, state), "");
}

TEST(DataFileTorture, OddBytesLineEndsAndEncodings) {
    const std::string latin1Name = "Ch\xEA" "ne p\xE9" "doncul\xE9" " (Latin-1)\n";
    std::string longUtf8Name;
    for (int i = 0; i < 40; ++i) longUtf8Name += "\xC3\xA9";  // 40 times e-acute: 80 bytes
    const ContentCase cases[] = {
        {"no final line end", std::string(EXAMPLE_FILE, std::strlen(EXAMPLE_FILE) - 1), 0, 4, "Transect A\n"},
        {"a first line alone, without its line end", "Transect A", 2, 0, ""},
        {"NUL bytes in the set name", "Tran\0sect\n0.5\n1\n10\n0\n0\n"s, 0, 1, "Tran"},
        {"a NUL where a diameter belongs", "T\n0.5\n1\n\0\n0\n0\n"s, 4, 0, ""},
        {"NUL bytes after the last item", "T\n0.5\n0\n0\n1\n3 2\n\0\0\0garbage"s, 0, 1, ""},
        {"binary garbage", "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\x01\0"s, 2, 0, ""},
        {"nothing but NUL bytes", std::string(1000, '\0'), 2, 0, ""},
        {"a UTF-8 byte order mark", "\xEF\xBB\xBF"s + EXAMPLE_FILE, 0, 4, "\xEF\xBB\xBFTransect A\n"},
        {"a byte order mark before the scale factor", "Transect A\n\xEF\xBB\xBF" + EXAMPLE_BODY, 2, 0, ""},
        {"a Latin-1 set name", latin1Name + EXAMPLE_BODY, 0, 4, latin1Name},
        {"a UTF-8 set name cut inside a character", longUtf8Name + "\n" + EXAMPLE_BODY, 0, 4,
         longUtf8Name.substr(0, 63)},
        // Classic Mac OS files: with no LF anywhere, the whole file is the first line.
        {"lone CR line ends throughout", exampleWith("\n", "\r"), 2, 0, ""},
        {"lone CR line ends after the first line", "Transect A\n" + exampleWith("\n", "\r").substr(11), 0, 4, ""},
        {"CR LF line ends", exampleWith("\n", "\r\n"), 0, 4, "Transect A\n"},
        {"CR CR LF line ends", exampleWith("\n", "\r\r\n"), 0, 4, "Transect A\r\n"},
        {"tabs, form feeds and vertical tabs between items", exampleWith("\n", "\t\f\v \n"), 0, 4, ""},
        {"a count with a thousand leading zeros", "T\n1\n" + std::string(1000, '0') + "2\n1\n2\n0\n0\n", 0, 2, ""},
        {"a diameter of a thousand digits", "T\n1\n1\n1" + std::string(1000, '0') + "\n0\n0\n", 0, 1, ""},
        // Rounds to exactly 1.0 as a 32-bit float, which is allowed.
        {"a scale factor of a thousand nines", "T\n0." + std::string(1000, '9') + "\n0\n0\n0\n", 0, 0, ""},
        {"a count one past the arrays", "T\n1\n1001\n", 3, 0, ""},
        {"a count that wraps to 1 in 32 bits", "T\n1\n0\n4294967297\n1 1\n0\n", 4, 0, ""},
        {"a negative count", "T\n1\n0\n0\n-1\n", 5, 0, ""},
    };
    TempTree tree;
    auto state = freshState();
    loadGoodFile(*state, tree);
    int index = 0;
    for (const ContentCase& c : cases) {
        SCOPED_TRACE(c.name);
        expectOutcome(c, *state, tree.write("case" + std::to_string(index++) + ".dat", c.bytes));
    }
}

// ---------------------------------------------------------------- a million lines

std::string shapes(int circles, int ellipses, int rects) {
    std::string text = "Big\n0.000001\n" + std::to_string(circles) + "\n";
    for (int i = 0; i < circles; ++i) text += "31.5\n";
    text += std::to_string(ellipses) + "\n";
    for (int i = 0; i < ellipses; ++i) text += "40 25\n";
    text += std::to_string(rects) + "\n";
    for (int i = 0; i < rects; ++i) text += "30 20\n";
    return text;
}

TEST(DataFileTorture, AMillionLines) {
    TempTree tree;
    const std::string path = (tree.root() / "million.dat").string();
    const ContentCase cases[] = {
        // The line of a failure is the layout's, not the millionth line met.
        {"a million blank lines before the count, then a bad diameter", "", 4, 0, ""},
        {"a million blank lines before the count", "", 0, 1, ""},
        {"a million CR LF lines after three thousand shapes", "", 0, 3000, ""},
    };
    auto state = freshState();
    loadGoodFile(*state, tree);

    writeRepeated(path, "T\n0.5\n", "\n", 1000000, "1\nx\n0\n0\n");
    expectOutcome(cases[0], *state, path);
    writeRepeated(path, "T\n0.5\n", "\n", 1000000, "1\n10\n0\n0\n");
    expectOutcome(cases[1], *state, path);
    writeRepeated(path, shapes(1000, 1000, 1000), "trailing text\r\n", 1000000, "");
    expectOutcome(cases[2], *state, path);
}

// ---------------------------------------------------------------- 100 MB

#ifdef QUORVALEN_SLOW_TESTS
constexpr std::size_t BIG = 100u << 20;
#else
// The same paths through the scanner with a tenth of the bytes; the slow sweep reads 100 MB.
constexpr std::size_t BIG = 10u << 20;
#endif

TEST(DataFileTorture, HundredMegabyteFiles) {
    TempTree tree;
    const std::string path = (tree.root() / "big.dat").string();
    auto state = freshState();
    loadGoodFile(*state, tree);

    // A first line of BIG bytes: read whole, its first 63 characters kept.
    writeRepeated(path, "", "Quercus ", BIG / 8, "\n" + EXAMPLE_BODY);
    expectOutcome({"a huge first line", "", 0, 4, "Quercus Quercus Quercus Quercus Quercus Quercus Quercus Quercus"}, *state, path);
    // BIG bytes of blanks between two items.
    writeRepeated(path, "T\n0.000001\n2\n", "  \t  \r\n", BIG / 7, "31.5\n28\n0\n0\n");
    expectOutcome({"huge white space between items", "", 0, 2, ""}, *state, path);
    // A scale factor of BIG digits: 0.000...0001 is 0 as a 32-bit float, which is allowed.
    writeRepeated(path, "T\n0.", "0000000000", BIG / 10, "1\n1\n10\n0\n0\n");
    expectOutcome({"a scale factor of a hundred million digits", "", 0, 1, ""}, *state, path);
    EXPECT_EQ(state->scaleFactor, 0.0f);
    // A count of BIG digits is out of range however it starts.
    writeRepeated(path, "T\n1\n0\n", "1111111111", BIG / 10, "\n0\n");
    expectOutcome({"a count of a hundred million digits", "", 4, 0, ""}, *state, path);
    // BIG bytes after the last item are never read.
    writeRepeated(path, EXAMPLE_FILE, "9 9 9 9 9 9 9\n", BIG / 14, "");
    expectOutcome({"a huge tail", "", 0, 4, ""}, *state, path);
}

}  // namespace
