// Paths and files that are not what the reader expects: paths at and past the longest the
// platform allows, names with blanks, quotes, format directives and non-ASCII bytes, files
// that vanish or become unreadable between the Open dialog and the load, folders, links,
// FIFOs and devices. Each is loaded or refused with exactly one message, never cut short,
// never overflowing a buffer, never hanging.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "shell/open_selection.h"
#include "tests/torture/torture_support.h"

namespace {

namespace fs = std::filesystem;

const char MALFORMED_FILE[] = "Transect A\nx\n";

// ---------------------------------------------------------------- long paths

// A path of exactly `length` bytes under root: folders of 200 characters, then a file name
// that makes up the rest. Its folders are created; the file is not.
std::string pathOfLength(const fs::path& root, std::size_t length) {
    std::string path = root.string();
    while (length - path.size() > 1 + 200 + 1 + 20) path += "/" + std::string(200, 'd');
    fs::create_directories(path);
    path += "/";
    path += std::string(length - path.size() - 4, 'n') + ".dat";
    return path;
}

// Writes a file whose full path may be longer than the kernel takes in one piece: opened
// relative to its folder.
void writeAt(const std::string& path, const std::string& bytes) {
    const std::size_t slash = path.rfind('/');
    const int folder = open(path.substr(0, slash).c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(folder, 0);
    const int file = openat(folder, path.c_str() + slash + 1, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(file, 0);
    ASSERT_EQ(::write(file, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    close(file);
    close(folder);
}

TEST(PathTorture, APathOfTheLongestLengthLinuxAllowsLoads) {
    TempTree tree;
    const std::string path = pathOfLength(tree.root(), PATH_MAX - 1);
    ASSERT_EQ(path.size(), 4095u);
    auto state = freshState();

    const LoadOutcome missing = loadPath(*state, path);
    ASSERT_EQ(missing.messages.size(), 1u);
    EXPECT_EQ(missing.messages[0].text, cannotFindMessage(path));  // the whole path, not cut

    writeAt(path, MALFORMED_FILE);
    const LoadOutcome malformed = loadPath(*state, path);
    ASSERT_EQ(malformed.messages.size(), 1u);
    EXPECT_EQ(malformed.messages[0].text, badDataMessage(path, 2));

    writeAt(path, EXAMPLE_FILE);
    const LoadOutcome good = loadPath(*state, path);
    EXPECT_TRUE(good.accepted);
    EXPECT_TRUE(good.messages.empty());
    EXPECT_EQ(state->totalElements, 4);
}

TEST(PathTorture, ALongerPathIsRefusedWholeAndNeverCutToAnotherFile) {
    TempTree tree;
    for (const std::size_t length : {std::size_t{PATH_MAX}, std::size_t{PATH_MAX + 1}}) {
        SCOPED_TRACE(std::to_string(length) + " bytes");
        const std::string path = pathOfLength(tree.root(), length);
        writeAt(path, EXAMPLE_FILE);
        // Cut to the buffer, the path would name this other good file.
        writeAt(path.substr(0, DATA_FILE_PATH_CAPACITY - 1), EXAMPLE_FILE);

        auto state = freshState();
        ASSERT_TRUE(loadPath(*state, tree.write("first.dat", EXAMPLE_FILE)).accepted);
        const auto before = std::make_unique<AnalysisState>(*state);
        MessageCapture capture;
        EXPECT_FALSE(setDataFilePath(*state, path.c_str()));
        EXPECT_STREQ(state->dataFilePath, before->dataFilePath);

        // The Open command's way: refused as a file that cannot be found.
        loadSelectedFile(*state, nullptr, path.c_str());
        ASSERT_EQ(capture.shown().size(), 1u);
        EXPECT_EQ(capture.shown()[0].text, cannotFindMessage(path));
        EXPECT_EQ(capture.shown()[0].icon, MessageIcon::error);
        EXPECT_EQ(state->dataValid, 0);
        EXPECT_EQ(changedAccumulation(*before, *state), "");
    }
}

TEST(PathTorture, AnEnormousPathIsRefusedWithoutOverflow) {
    const std::string path = "/" + std::string(100000, 'p');
    auto state = freshState();
    MessageCapture capture;
    EXPECT_FALSE(setDataFilePath(*state, path.c_str()));
    loadSelectedFile(*state, nullptr, path.c_str());
    ASSERT_EQ(capture.shown().size(), 1u);
    // The message may be bounded, but it begins with the reader's words and the path.
    EXPECT_EQ(capture.shown()[0].text.rfind("Cannot find file /pppp", 0), 0u);
}

// ---------------------------------------------------------------- names

TEST(PathTorture, NamesWithBlanksQuotesDirectivesAndNonAsciiBytes) {
    const char* names[] = {
        "with space.dat",
        "it's \"quoted\".dat",
        "percent %s %n %i.dat",            // the path must never be read as a format
        "\xC3\x89prouvette \xC3\xBC.dat",  // UTF-8
        "\351chantillon.dat",              // Latin-1
        "new\nline.dat",
        "back\\slash.dat",
        "-leading dash.dat",
        " leading blank.dat",
        "trailing dot.",
    };
    TempTree tree;
    for (const char* name : names) {
        SCOPED_TRACE(name);
        auto state = freshState();
        const std::string good = tree.write(std::string("good ") + name, EXAMPLE_FILE);
        const LoadOutcome loaded = loadPath(*state, good);
        EXPECT_TRUE(loaded.accepted);
        EXPECT_TRUE(loaded.messages.empty());

        const std::string bad = tree.write(std::string("bad ") + name, MALFORMED_FILE);
        const LoadOutcome refused = loadPath(*state, bad);
        ASSERT_EQ(refused.messages.size(), 1u);
        EXPECT_EQ(refused.messages[0].text, badDataMessage(bad, 2));

        const std::string missing = (tree.root() / (std::string("missing ") + name)).string();
        const LoadOutcome notFound = loadPath(*state, missing);
        ASSERT_EQ(notFound.messages.size(), 1u);
        EXPECT_EQ(notFound.messages[0].text, cannotFindMessage(missing));
    }
}

// ---------------------------------------------------------------- what is not a data file

// Loads path into a record that holds one good file and expects "Cannot find file".
void expectCannotFind(const TempTree& tree, const std::string& path) {
    auto state = freshState();
    ASSERT_TRUE(loadPath(*state, tree.write("first.dat", EXAMPLE_FILE)).accepted);
    const auto before = std::make_unique<AnalysisState>(*state);
    const LoadOutcome outcome = loadPath(*state, path);
    EXPECT_FALSE(outcome.accepted);
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_EQ(outcome.messages[0].text, cannotFindMessage(path));
    EXPECT_EQ(changedAccumulation(*before, *state), "");
}

TEST(PathTorture, FoldersDanglingLinksAndLinkLoopsCannotBeFound) {
    TempTree tree;
    fs::create_directories(tree.root() / "folder.dat");
    fs::create_symlink(tree.root() / "nowhere.dat", tree.root() / "dangling.dat");
    fs::create_symlink(tree.root() / "loop-b.dat", tree.root() / "loop-a.dat");
    fs::create_symlink(tree.root() / "loop-a.dat", tree.root() / "loop-b.dat");
    for (const char* name : {"folder.dat", "dangling.dat", "loop-a.dat"}) {
        SCOPED_TRACE(name);
        expectCannotFind(tree, (tree.root() / name).string());
    }
    // The root folder and a path through a file as if it were a folder.
    expectCannotFind(tree, "/");
    expectCannotFind(tree, tree.write("plain.dat", EXAMPLE_FILE) + "/inside.dat");
}

TEST(PathTorture, ALinkToAGoodFileLoadsIt) {
    TempTree tree;
    const std::string target = tree.write("real.dat", EXAMPLE_FILE);
    fs::create_symlink(target, tree.root() / "link.dat");
    auto state = freshState();
    EXPECT_TRUE(loadPath(*state, (tree.root() / "link.dat").string()).accepted);
}

TEST(PathTorture, AFileThatVanishesAfterTheDialogCannotBeFound) {
    TempTree tree;
    auto state = freshState();
    ASSERT_TRUE(loadPath(*state, tree.write("first.dat", EXAMPLE_FILE)).accepted);
    // Chosen in the dialog, then deleted by someone else before the load.
    const std::string path = tree.write("chosen.dat", EXAMPLE_FILE);
    ASSERT_TRUE(setDataFilePath(*state, path.c_str()));
    fs::remove(path);
    const auto before = std::make_unique<AnalysisState>(*state);
    MessageCapture capture;
    loadDataFile(*state, nullptr);
    ASSERT_EQ(capture.shown().size(), 1u);
    EXPECT_EQ(capture.shown()[0].text, cannotFindMessage(path));
    EXPECT_EQ(state->dataValid, 0);
    EXPECT_EQ(changedAccumulation(*before, *state), "");
}

// The load of path as an unprivileged user (root reads every file whatever its mode):
// returns the one message it showed, or a description of what went wrong.
std::string messageOfLoadAsNobody(const std::string& path) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return "(no pipe)";
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
        auto state = freshState();
        const LoadOutcome outcome = loadPath(*state, path);
        std::string report = outcome.messages.size() == 1 ? outcome.messages[0].text : "(not one message)";
        if (outcome.accepted) report = "(accepted)";
        if (::write(pipeEnds[1], report.data(), report.size()) < 0) _exit(4);
        _exit(0);
    }
    close(pipeEnds[1]);
    std::string report;
    char buffer[4096];
    for (ssize_t got; (got = read(pipeEnds[0], buffer, sizeof buffer)) > 0;) report.append(buffer, static_cast<std::size_t>(got));
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "(the child failed)";
    return report;
}

TEST(PathTorture, AFileThatBecomesUnreadableCannotBeFound) {
    TempTree tree;
    fs::permissions(tree.root(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    const std::string readable = tree.write("readable.dat", EXAMPLE_FILE);
    const std::string locked = tree.write("locked.dat", EXAMPLE_FILE);
    fs::permissions(locked, fs::perms::none);
    // The same user reads the readable file, so only the permission makes the difference.
    EXPECT_EQ(messageOfLoadAsNobody(readable), "(accepted)");
    EXPECT_EQ(messageOfLoadAsNobody(locked), cannotFindMessage(locked));
}

// ---------------------------------------------------------------- FIFOs and devices

// While the load runs, keeps opening the FIFO for writing, without blocking, and closes it
// again at once: a reader blocked in open() for want of a writer is released and sees an
// empty file. So a reader that wrongly opens a FIFO fails this test instead of hanging it.
class FifoReleaser {
public:
    explicit FifoReleaser(std::string path)
        : path_(std::move(path)), thread_([this] {
              while (!done_.load()) {
                  const int fd = open(path_.c_str(), O_WRONLY | O_NONBLOCK);
                  if (fd >= 0) {
                      opened_.store(true);
                      close(fd);
                  }
                  std::this_thread::yield();
              }
          }) {}
    ~FifoReleaser() {
        done_.store(true);
        thread_.join();
    }
    FifoReleaser(const FifoReleaser&) = delete;
    FifoReleaser& operator=(const FifoReleaser&) = delete;

private:
    std::string path_;
    std::atomic<bool> done_{false};
    std::atomic<bool> opened_{false};
    std::thread thread_;
};

TEST(PathTorture, AFifoIsRefusedWithoutWaitingForAWriter) {
    TempTree tree;
    const std::string path = (tree.root() / "pipe.dat").string();
    ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);
    FifoReleaser releaser(path);
    expectCannotFind(tree, path);
}

TEST(PathTorture, DevicesAreRefused) {
    TempTree tree;
    // /dev/zero never ends and holds no line end: read as a data file it never finishes.
    for (const char* device : {"/dev/zero", "/dev/null", "/dev/urandom"}) {
        SCOPED_TRACE(device);
        if (access(device, R_OK) != 0) continue;
        expectCannotFind(tree, device);
    }
}

}  // namespace
