// The settings file: where it lies for a given command line, and how its one line is read
// and written.
#include "shell/settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>

namespace {

struct PathCase {
    const char* commandLine;
    const char* expected;  // nullptr: no settings path
};

TEST(DeriveSettingsPath, ReplacesTheProgramsExtensionWhateverStandsAroundIt) {
    const PathCase cases[] = {
        // Quoted, as the desktop's shell builds it, with arguments with and without dots.
        {R"("C:\Program Files\Quorvalen\quorvalen.exe")", R"(C:\Program Files\Quorvalen\quorvalen.ini)"},
        {R"("C:\Tools\quorvalen.exe" transect.dat)", R"(C:\Tools\quorvalen.ini)"},
        {R"("C:\Tools\quorvalen.exe" one two)", R"(C:\Tools\quorvalen.ini)"},
        {R"("/opt/quorvalen/quorvalen-headless" --x a.b.c)", "/opt/quorvalen/quorvalen-headless.ini"},
        // Unquoted: the first letter stays, the path ends at the first blank.
        {R"(C:\Tools\quorvalen.exe transect.dat)", R"(C:\Tools\quorvalen.ini)"},
        {"/usr/bin/quorvalen\targ.dat", "/usr/bin/quorvalen.ini"},
        {"quorvalen.exe", "quorvalen.ini"},
        {"quorvalen", "quorvalen.ini"},
        // Dots in folder names never count; only the last component's extension is replaced.
        {R"("C:\Users\jane.doe\quorvalen.exe")", R"(C:\Users\jane.doe\quorvalen.ini)"},
        {R"("C:\Users\jane.doe\bin\quorvalen" x)", R"(C:\Users\jane.doe\bin\quorvalen.ini)"},
        {"/home/jane.doe/quorvalen", "/home/jane.doe/quorvalen.ini"},
        {R"("C:\My Files.v2\q.exe" arg)", R"(C:\My Files.v2\q.ini)"},
        {"/mixed\\seps.d/q.v2.exe", "/mixed\\seps.d/q.v2.ini"},
        // A dot as the second character.
        {"x.exe", "x.ini"},
        {R"(".\quorvalen.exe" a)", R"(.\quorvalen.ini)"},
        {R"(..\bin\quorvalen.exe)", R"(..\bin\quorvalen.ini)"},
        // A name's leading dots are part of the name.
        {"/opt/.quorvalen", "/opt/.quorvalen.ini"},
        // Blanks before the path, a quote that is never closed.
        {R"(  "C:\q.exe" a)", R"(C:\q.ini)"},
        {R"("C:\a b\q.exe)", R"(C:\a b\q.ini)"},
        // No program named: no settings file.
        {"", nullptr},
        {"   ", nullptr},
        {R"("" quorvalen.exe)", nullptr},
        {R"("C:\Tools\" a)", nullptr},
        {"/usr/bin/", nullptr},
    };
    for (const PathCase& c : cases) {
        SCOPED_TRACE(c.commandLine);
        char out[SETTINGS_PATH_CAPACITY];
        bool derived = deriveSettingsPath(c.commandLine, out, sizeof out);
        if (c.expected == nullptr) {
            EXPECT_FALSE(derived);
            EXPECT_STREQ(out, "");
        } else {
            EXPECT_TRUE(derived);
            EXPECT_STREQ(out, c.expected);
        }
    }
}

TEST(DeriveSettingsPath, LongCommandLinesStayWithinTheBuffer) {
    // Arguments of any length play no part.
    std::string longArguments = "\"/opt/q/quorvalen.exe\" " + std::string(100000, 'a') + ".dat";
    char out[SETTINGS_PATH_CAPACITY];
    ASSERT_TRUE(deriveSettingsPath(longArguments.c_str(), out, sizeof out));
    EXPECT_STREQ(out, "/opt/q/quorvalen.ini");

    // A program path whose settings path needs exactly the capacity fits; one more does not.
    std::string folder = "/" + std::string(20, 'f') + "/";
    std::string stem = folder + "q";  // the settings path is stem + ".ini" + NUL
    std::string commandLine = "\"" + stem + ".exe\" a";
    char small[64];
    std::fill(std::begin(small), std::end(small), '#');
    EXPECT_TRUE(deriveSettingsPath(commandLine.c_str(), small, stem.size() + 5));
    EXPECT_EQ(std::string(small), stem + ".ini");
    std::fill(std::begin(small), std::end(small), '#');
    EXPECT_FALSE(deriveSettingsPath(commandLine.c_str(), small, stem.size() + 4));
    EXPECT_EQ(small[0], '\0');
    EXPECT_EQ(small[1], '#') << "nothing but the emptied path is written";

    std::string tooDeep = "\"/" + std::string(SETTINGS_PATH_CAPACITY, 'd') + "/q.exe\"";
    EXPECT_FALSE(deriveSettingsPath(tooDeep.c_str(), out, sizeof out));
    EXPECT_STREQ(out, "");
}

// A stream holding text, as the settings file would.
std::FILE* streamOf(const std::string& text) {
    std::FILE* file = std::tmpfile();
    std::fwrite(text.data(), 1, text.size(), file);
    std::rewind(file);
    return file;
}

struct ReadCase {
    const char* name;
    std::string text;
    bool read;
    WindowPlacement expected;
};

TEST(ReadPlacement, ReadsFourLongsAsTheScanfConversionDoes) {
    const ReadCase cases[] = {
        {"one line", "10 20 300 200\n", true, {10, 20, 300, 200}},
        {"any white space", " \t10\n\n20\r\n300\f\v200", true, {10, 20, 300, 200}},
        {"signs", "-10 +20 -0 +300", true, {-10, 20, 0, 300}},
        {"octal", "010 020 0300 0200\n", true, {8, 16, 192, 128}},
        {"hexadecimal", "0x10 0X1f -0x8 +0xA0", true, {16, 31, -8, 160}},
        {"an 8 ends an octal value", "08 1 2\n", true, {0, 8, 1, 2}},
        {"more than four values", "1 2 3 4 5 junk", true, {1, 2, 3, 4}},
        {"text after the fourth", "1 2 3 4junk", true, {1, 2, 3, 4}},
        {"the edges of 32 bits", "-2147483648 2147483647 0x7fffffff -0x80000000", true,
         {INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN}},
        {"a million leading zeros", std::string(1000000, '0') + "7 1 2 3", true, {7, 1, 2, 3}},
        {"empty", "", false, {}},
        {"two values", "10 20\n", false, {}},
        {"three values", "10 20 30", false, {}},
        {"a word among them", "10 20 abc 200", false, {}},
        {"a sign alone", "10 - 20 30 40", false, {}},
        {"0x without a digit", "0x 1 2 3", false, {}},
        {"0x before a letter", "0xg 1 2 3", false, {}},
        {"a float", "1.5 2 3 4", false, {}},
        {"above 32 bits", "2147483648 0 0 0", false, {}},
        {"below 32 bits", "0 -2147483649 0 0", false, {}},
        {"hexadecimal above 32 bits", "0 0 0x80000000 0", false, {}},
        {"far above 64 bits", "1 2 3 99999999999999999999999999", false, {}},
        {"a million digits", "1" + std::string(1000000, '9') + " 2 3 4", false, {}},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::FILE* file = streamOf(c.text);
        const WindowPlacement untouched{-7, -7, -7, -7};
        WindowPlacement placement = untouched;
        EXPECT_EQ(readPlacement(file, placement), c.read);
        std::fclose(file);
        const WindowPlacement& expected = c.read ? c.expected : untouched;
        EXPECT_EQ(placement.x, expected.x);
        EXPECT_EQ(placement.y, expected.y);
        EXPECT_EQ(placement.width, expected.width);
        EXPECT_EQ(placement.height, expected.height);
    }
}

std::string contentsOf(const std::string& path) {
    std::string text;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        for (int c; (c = std::fgetc(file)) != EOF;) text.push_back(static_cast<char>(c));
        std::fclose(file);
    }
    return text;
}

TEST(SavePlacementFile, ReplacesTheFileWithOneDecimalLineThatReadsBack) {
    std::string path = ::testing::TempDir() + "quorvalen-settings-test.ini";
    {
        std::FILE* old = std::fopen(path.c_str(), "w");
        std::fputs("0x1 0x2 0x3 0x4 and a much longer old line\nsecond line\n", old);
        std::fclose(old);
    }
    const WindowPlacement saved{-8, -8, 1936, 1056};  // a maximised window starts off-screen
    ASSERT_TRUE(savePlacementFile(path.c_str(), saved));
    EXPECT_EQ(contentsOf(path), "-8 -8 1936 1056\n");

    WindowPlacement loaded{};
    ASSERT_TRUE(loadPlacementFile(path.c_str(), loaded));
    EXPECT_EQ(loaded.x, -8);
    EXPECT_EQ(loaded.y, -8);
    EXPECT_EQ(loaded.width, 1936);
    EXPECT_EQ(loaded.height, 1056);

    ASSERT_TRUE(savePlacementFile(path.c_str(), {INT32_MIN, INT32_MAX, 0, 1}));
    EXPECT_EQ(contentsOf(path), "-2147483648 2147483647 0 1\n");
    std::remove(path.c_str());
}

TEST(SavePlacementFile, FailsQuietlyWhereNoFileCanBeMade) {
    std::string path = ::testing::TempDir() + "no-such-folder-for-quorvalen/q.ini";
    EXPECT_FALSE(savePlacementFile(path.c_str(), {1, 2, 3, 4}));
    WindowPlacement placement{5, 6, 7, 8};
    EXPECT_FALSE(loadPlacementFile(path.c_str(), placement));
    EXPECT_EQ(placement.x, 5);
}

}  // namespace
