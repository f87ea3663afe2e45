// The whole program on the headless desktop, and quorvalen-report, given hostile files:
// odd names in the Open dialog, files that vanish or become unreadable after the dialog,
// a typed path longer than the dialog's buffer, and settings files that are folders,
// FIFOs or hold a million digits.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/torture/torture_support.h"

namespace {

namespace fs = std::filesystem;

struct ProgramRun {
    int exitCode;
    std::string transcript;  // standard output, with the test's folder written as DIR
    std::string errors;      // standard error
};

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<std::string> linesStartingWith(const std::string& text, const std::string& prefix) {
    std::vector<std::string> found;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (line.starts_with(prefix)) found.push_back(line);
    return found;
}

// Runs program with args in folder, input on standard input, as an unprivileged user when
// asked (root reads every file whatever its mode). No shell: names pass as they are.
ProgramRun runProgram(const std::string& program, const std::vector<std::string>& args, const fs::path& folder,
               const std::string& input, bool asNobody = false) {
    const fs::path io = folder / ".io";
    fs::create_directories(io);
    fs::permissions(io, fs::perms::all);
    std::ofstream(io / "in.txt", std::ios::binary) << input;
    const pid_t child = fork();
    if (child == 0) {
        const int in = open((io / "in.txt").c_str(), O_RDONLY);
        const int out = open((io / "out.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        const int err = open((io / "err.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        if (in < 0 || out < 0 || err < 0 || chdir(folder.c_str()) != 0) _exit(126);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        if (asNobody && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(126);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    const std::string dir = folder.string();
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, replaceAll(readAll(io / "out.txt"), dir, "DIR"),
            readAll(io / "err.txt")};
}

// The program as installed in the test's folder, under the name quorvalen.exe, so that its
// settings file is DIR/quorvalen.ini.
ProgramRun runHeadless(const TempTree& tree, const std::string& script, bool asNobody = false) {
    const std::string commandLine = "\"" + (tree.root() / "quorvalen.exe").string() + "\"";
    return runProgram(QUORVALEN_HEADLESS, {"--command-line", commandLine}, tree.root(), script, asNobody);
}

// The transcript's page lines of the last paint: what the window shows at the end.
std::vector<std::string> lastPage(const std::string& transcript) {
    std::vector<std::string> page;
    std::istringstream in(transcript);
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with("paint w1")) page.clear();
        else if (line.starts_with("  ") && !line.starts_with("  control")) page.push_back(line);
    }
    return page;
}

std::string filesReadLine(const std::string& transcript) {
    const std::vector<std::string> page = lastPage(transcript);
    return page.size() == 38 ? page[1] : "(no results shown)";
}

// ---------------------------------------------------------------- the Open dialog

TEST(ProgramTorture, OddNamesChosenTogetherAllLoad) {
    TempTree tree;
    tree.write("with space.dat", EXAMPLE_FILE);
    tree.write("it\"s.dat", EXAMPLE_FILE);
    tree.write("\xC3\x89prouvette.dat", EXAMPLE_FILE);
    tree.write("100%s%n.dat", EXAMPLE_FILE);
    const ProgramRun run = runHeadless(tree, "pick . \"with space.dat\" it\"s.dat \xC3\x89prouvette.dat 100%s%n.dat\n"
                                      "menu File/Open...\nmenu File/Exit\n");
    EXPECT_EQ(run.exitCode, 0) << run.transcript;
    EXPECT_TRUE(linesStartingWith(run.transcript, "messagebox").empty()) << run.transcript;
    EXPECT_EQ(filesReadLine(run.transcript), R"(  272 64 "4 files read")") << run.transcript;
}

TEST(ProgramTorture, FilesThatVanishOrAreNoDataFilesAfterTheDialogAreReportedAndSkipped) {
    TempTree tree;
    tree.write("a.dat", EXAMPLE_FILE);
    tree.write("c.dat", EXAMPLE_FILE);
    fs::create_directory(tree.root() / "folder.dat");
    // gone.dat is listed by the dialog but deleted before the load reaches it.
    const ProgramRun run = runHeadless(tree, "pick . a.dat gone.dat folder.dat c.dat\nmenu File/Open...\nmenu File/Exit\n");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(linesStartingWith(run.transcript, "messagebox owner"),
              (std::vector<std::string>{
                  R"(messagebox owner w1 caption (default) icon error text "Cannot find file DIR/gone.dat")",
                  R"(messagebox owner w1 caption (default) icon error text "Cannot find file DIR/folder.dat")"}))
        << run.transcript;
    EXPECT_EQ(filesReadLine(run.transcript), R"(  272 64 "2 files read")") << run.transcript;
}

TEST(ProgramTorture, AFileThatBecameUnreadableIsReportedAsNotFound) {
    TempTree tree;
    fs::permissions(tree.root(), fs::perms::all);
    tree.write("a.dat", EXAMPLE_FILE);
    const std::string locked = tree.write("locked.dat", EXAMPLE_FILE);
    fs::permissions(locked, fs::perms::none);
    const ProgramRun run = runHeadless(tree, "pick . a.dat locked.dat\nmenu File/Open...\nmenu File/Exit\n", true);
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(linesStartingWith(run.transcript, "messagebox owner"),
              std::vector<std::string>{
                  R"(messagebox owner w1 caption (default) icon error text "Cannot find file DIR/locked.dat")"})
        << run.transcript;
    // The last file failed: no results until the next good one.
    EXPECT_EQ(lastPage(run.transcript), std::vector<std::string>{R"(  252 32 "Razizez Quorvalen")"});
}

TEST(ProgramTorture, ATypedPathLongerThanTheDialogBufferLoadsNothing) {
    TempTree tree;
    const std::string longPath = (tree.root() / std::string(200, 'd')).string() + "/" + std::string(4097, 'n');
    const ProgramRun run = runHeadless(tree, "type " + longPath + "\nmenu File/Open...\nmenu File/Exit\n");
    EXPECT_EQ(run.exitCode, 0);
    const std::vector<std::string> returned = linesStartingWith(run.transcript, "opendialog returned");
    ASSERT_EQ(returned.size(), 1u) << run.transcript;
    EXPECT_TRUE(returned[0].starts_with("opendialog returned 0")) << returned[0];
    EXPECT_TRUE(linesStartingWith(run.transcript, "messagebox").empty()) << run.transcript;
}

// Offers bytes to whoever opens the FIFO for reading, and closes it again at once: a
// program that opens the FIFO is released (instead of waiting for a writer forever), so it
// fails a test instead of hanging it.
class FifoOffer {
public:
    // A program that refuses the FIFO closes it before the write: that write must fail
    // with EPIPE, not end the test with SIGPIPE.
    FifoOffer(std::string path, std::string bytes)
        : path_(std::move(path)), bytes_(std::move(bytes)), ignorePipe_(std::signal(SIGPIPE, SIG_IGN)), thread_([this] {
              while (!done_.load()) {
                  const int fd = open(path_.c_str(), O_WRONLY | O_NONBLOCK);
                  if (fd >= 0) {
                      if (::write(fd, bytes_.data(), bytes_.size()) < 0) {
                      }
                      close(fd);
                  }
                  std::this_thread::yield();
              }
          }) {}
    ~FifoOffer() {
        done_.store(true);
        thread_.join();
    }
    FifoOffer(const FifoOffer&) = delete;
    FifoOffer& operator=(const FifoOffer&) = delete;

private:
    std::string path_;
    std::string bytes_;
    void (*ignorePipe_)(int);
    std::atomic<bool> done_{false};
    std::thread thread_;
};

TEST(ProgramTorture, AFifoOrADeviceChosenInTheDialogIsReportedAndSkipped) {
    TempTree tree;
    tree.write("a.dat", EXAMPLE_FILE);
    const std::string fifo = (tree.root() / "pipe.dat").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    FifoOffer offer(fifo, EXAMPLE_FILE);
    const ProgramRun run = runHeadless(tree, "pick . a.dat pipe.dat\nmenu File/Open...\n"
                                             "type /dev/zero\nmenu File/Open...\nmenu File/Exit\n");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(linesStartingWith(run.transcript, "messagebox owner"),
              (std::vector<std::string>{
                  R"(messagebox owner w1 caption (default) icon error text "Cannot find file DIR/pipe.dat")",
                  R"(messagebox owner w1 caption (default) icon error text "Cannot find file /dev/zero")"}))
        << run.transcript;
}

std::string createdRect(const std::string& transcript) {
    const std::vector<std::string> created = linesStartingWith(transcript, "window w1 created");
    if (created.size() != 1) return "(no window)";
    const std::size_t at = created[0].find(" rect ");
    return created[0].substr(at + 1, created[0].find(" client") - at - 1);
}

TEST(ProgramTorture, AFolderDeeperThanTheDialogBufferOpensNothingAndSaysNothing) {
    TempTree tree;
    // About 3000 bytes of folders: more than the initial-folder buffer (260) and, with a
    // name, more than the dialog's file-name buffer (2600).
    fs::path deep = tree.root();
    for (int i = 0; i < 15; ++i) deep /= std::string(200, 'd');
    fs::create_directories(deep);
    std::ofstream(deep / "a.dat", std::ios::binary) << EXAMPLE_FILE;
    const std::string commandLine = "\"" + (deep / "quorvalen.exe").string() + "\"";
    const ProgramRun run = runProgram(QUORVALEN_HEADLESS, {"--command-line", commandLine}, deep,
                                      "pick . a.dat\nmenu File/Open...\nmenu File/Exit\n");
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    const std::vector<std::string> returned = linesStartingWith(run.transcript, "opendialog returned");
    ASSERT_EQ(returned.size(), 1u) << run.transcript;
    EXPECT_TRUE(returned[0].starts_with("opendialog returned 0")) << returned[0];
    EXPECT_TRUE(linesStartingWith(run.transcript, "messagebox").empty()) << run.transcript;
}

TEST(ProgramTorture, HugeCommandLinesStartTheProgram) {
    TempTree tree;
    const std::string program = (tree.root() / "quorvalen.exe").string();
    const struct {
        const char* name;
        std::string commandLine;
        const char* rect;
    } cases[] = {
        // The settings file stays beside the program whatever follows it.
        {"an argument of 100000 characters", "\"" + program + "\" " + std::string(100000, 'a'), "rect 10 20 310 220"},
        {"100000 dots after the program", "\"" + program + "\"" + std::string(100000, '.'), "rect 10 20 310 220"},
        // A program path longer than any path: no settings are read.
        {"a program path of 100000 characters", "\"/" + std::string(100000, 'p') + "\"", "rect 0 0 648 528"},
        {"an unclosed quote", "\"" + program, "rect 10 20 310 220"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        tree.write("quorvalen.ini", "10 20 300 200\n");
        const ProgramRun run = runProgram(QUORVALEN_HEADLESS, {"--command-line", c.commandLine}, tree.root(),
                                          "size 500 300\nmenu File/Save settings\nmenu File/Exit\n");
        EXPECT_EQ(run.exitCode, 0) << run.errors;
        EXPECT_EQ(createdRect(run.transcript), c.rect);
        // Saved where it was read, or not at all.
        const bool settingsUsed = std::string(c.rect) != "rect 0 0 648 528";
        EXPECT_EQ(readAll(tree.root() / "quorvalen.ini"), settingsUsed ? "10 20 508 348\n" : "10 20 300 200\n");
    }
}

// ---------------------------------------------------------------- quorvalen-report

TEST(ProgramTorture, TheReportRefusesAPathTooLongForTheRecordAndGoesOn) {
    TempTree tree;
    const std::string good = tree.write("good.dat", EXAMPLE_FILE);
    const std::string tooLong = "/" + std::string(5000, 'x') + ".dat";
    const ProgramRun run = runProgram(QUORVALEN_REPORT, {"--json", tooLong, good}, tree.root(), "");
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(run.errors, cannotFindMessage(tooLong) + "\n");
    EXPECT_NE(run.transcript.find("\"filesRead\": 1"), std::string::npos) << run.transcript;
}

// RFC 3629: well-formed UTF-8, no overlong forms, no surrogates, nothing past U+10FFFF.
bool isUtf8(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                                   : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
        if (length == 0 || i + length > text.size()) return false;
        uint32_t code = length == 1 ? lead : lead & (0x7Fu >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = code << 6 | (next & 0x3Fu);
        }
        const uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < smallest[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return false;
        i += length;
    }
    return true;
}

TEST(ProgramTorture, TheReportWritesUtf8JsonWhateverTheBytesOfANameAre) {
    struct NameCase {
        const char* name;
        const char* bytes;
        const char* inJson;  // how the name reads inside the JSON string
    };
    // UTF-8 passes as it is; any byte that is not part of well-formed UTF-8 is read as the
    // Latin-1 character of that byte.
    const NameCase cases[] = {
        {"Latin-1", "\351chantillon.dat", "\\u00e9chantillon.dat"},
        {"UTF-8, two bytes", "\xC3\x89prouvette.dat", "\xC3\x89prouvette.dat"},
        {"UTF-8, four bytes", "tree \xF0\x9F\x8C\xB3.dat", "tree \xF0\x9F\x8C\xB3.dat"},
        {"an overlong form", "\xC0\x80.dat", "\\u00c0\\u0080.dat"},
        {"a surrogate", "\xED\xA0\x80.dat", "\\u00ed\\u00a0\\u0080.dat"},
        {"a sequence cut short", "cut \xC3", "cut \\u00c3"},
        {"beyond U+10FFFF", "\xF5\x80\x80\x80", "\\u00f5\\u0080\\u0080\\u0080"},
    };
    TempTree tree;
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.name);
        const ProgramRun run = runProgram(QUORVALEN_REPORT, {"--json", c.bytes}, tree.root(), "");
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(isUtf8(run.transcript)) << run.transcript;
        EXPECT_NE(run.transcript.find("\"Cannot find file " + std::string(c.inJson) + "\""), std::string::npos)
            << run.transcript;
    }
}

// ---------------------------------------------------------------- the settings file

struct SettingsCase {
    const char* name;
    std::string content;
    const char* rect;  // the window's creation rectangle
};

TEST(ProgramTorture, SettingsFilesOfAMillionDigits) {
    const std::string million = std::string(1000000, '0');
    const SettingsCase cases[] = {
        {"a million zeros: octal 0", million + " 20 300 200\n", "rect 0 20 300 220"},
        {"a million blanks before the values", std::string(1000000, ' ') + "10 20 300 200\n", "rect 10 20 310 220"},
        {"a million leading zeros of an octal 10", million + "10 20 300 200\n", "rect 8 20 308 220"},
        {"one followed by a million zeros", "1" + million + " 20 300 200\n", "rect 0 0 648 528"},
        {"minus a million nines", "-" + std::string(1000000, '9') + " 20 300 200\n", "rect 0 0 648 528"},
        {"a hexadecimal value of a million digits", "0x" + std::string(1000000, 'f') + " 2 3 4\n", "rect 0 0 648 528"},
        {"NUL bytes among the values", std::string("10 20\0 300 200\n", 15), "rect 0 0 648 528"},
    };
    TempTree tree;
    for (const SettingsCase& c : cases) {
        SCOPED_TRACE(c.name);
        tree.write("quorvalen.ini", c.content);
        const ProgramRun run = runHeadless(tree, "menu File/Exit\n");
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(createdRect(run.transcript), c.rect);
    }
}

TEST(ProgramTorture, ASettingsFileThatIsAFolderIsNeitherReadNorWritten) {
    TempTree tree;
    fs::create_directory(tree.root() / "quorvalen.ini");
    const ProgramRun run = runHeadless(tree, "size 500 300\nmenu File/Save settings\nmenu File/Exit\n");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(createdRect(run.transcript), "rect 0 0 648 528");
    EXPECT_TRUE(fs::is_directory(tree.root() / "quorvalen.ini"));
    EXPECT_TRUE(linesStartingWith(run.transcript, "file ").empty()) << run.transcript;
}

TEST(ProgramTorture, ASettingsFileThatIsAFifoIsNotRead) {
    TempTree tree;
    const std::string fifo = (tree.root() / "quorvalen.ini").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    // A program that reads the FIFO gets a placement of 10 20 300 200.
    FifoOffer offer(fifo, "10 20 300 200\n");
    const ProgramRun run = runHeadless(tree, "menu File/Exit\n");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(createdRect(run.transcript), "rect 0 0 648 528");
}

// Holds the FIFO open for reading and collects whatever anyone writes into it.
class FifoDrain {
public:
    explicit FifoDrain(const std::string& path)
        : fd_(open(path.c_str(), O_RDONLY | O_NONBLOCK)), thread_([this] {
              char buffer[256];
              while (!done_.load()) {
                  const ssize_t got = read(fd_, buffer, sizeof buffer);
                  if (got > 0) received_.append(buffer, static_cast<std::size_t>(got));
                  std::this_thread::yield();
              }
          }) {}
    ~FifoDrain() {
        stop();
        close(fd_);
    }
    FifoDrain(const FifoDrain&) = delete;
    FifoDrain& operator=(const FifoDrain&) = delete;
    const std::string& stop() {
        if (!done_.exchange(true)) thread_.join();
        return received_;
    }

private:
    int fd_;
    std::atomic<bool> done_{false};
    std::string received_;
    std::thread thread_;
};

TEST(ProgramTorture, SaveSettingsNeverWritesIntoAFifo) {
    TempTree tree;
    const std::string fifo = (tree.root() / "quorvalen.ini").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    FifoDrain drain(fifo);
    const ProgramRun run = runHeadless(tree, "size 500 300\nmenu File/Save settings\nmenu File/Exit\n");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(drain.stop(), "");
}

}  // namespace
