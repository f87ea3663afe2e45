// The headless desktop: actions in, transcript out. See headless_desktop.h for both formats.
#include "platform/headless/headless_desktop.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <istream>
#include <ostream>
#include <sstream>

#include "platform/common/desktop.h"

namespace qv::headless {
namespace {

namespace fs = std::filesystem;

// Text metrics of the desktop's one font: 8 x 16 pixel cells.
constexpr LONG CHAR_WIDTH = 8;
constexpr LONG LINE_HEIGHT = 16;
// File contents are shown in the transcript up to this size.
constexpr std::uintmax_t SHOWN_FILE_BYTES = 512;
constexpr std::uintmax_t COMPARED_FILE_BYTES = 1 << 16;

const char* const OUTSIDE_CALL_NAMES[] = {"GlobalAlloc", "GlobalLock", "OpenClipboard", "SetClipboardData"};
static_assert(std::size(OUTSIDE_CALL_NAMES) == static_cast<std::size_t>(OutsideCall::Count));

struct Named {
    int value;
    const char* name;
};
const Named SHOW_COMMANDS[] = {{SW_HIDE, "SW_HIDE"},         {SW_SHOWNORMAL, "SW_SHOWNORMAL"},
                               {SW_SHOWMINIMIZED, "SW_SHOWMINIMIZED"}, {SW_SHOWMAXIMIZED, "SW_SHOWMAXIMIZED"},
                               {4, "SW_SHOWNOACTIVATE"},   {SW_SHOW, "SW_SHOW"},
                               {SW_MINIMIZE, "SW_MINIMIZE"}, {7, "SW_SHOWMINNOACTIVE"},
                               {8, "SW_SHOWNA"},           {SW_RESTORE, "SW_RESTORE"},
                               {SW_SHOWDEFAULT, "SW_SHOWDEFAULT"}, {11, "SW_FORCEMINIMIZE"}};
const Named ICONS[] = {{0, "none"},
                       {MB_ICONERROR, "error"},
                       {MB_ICONQUESTION, "question"},
                       {MB_ICONWARNING, "warning"},
                       {MB_ICONINFORMATION, "information"}};
const Named BEEPS[] = {{MB_OK, "MB_OK"},
                       {MB_ICONERROR, "MB_ICONERROR"},
                       {MB_ICONQUESTION, "MB_ICONQUESTION"},
                       {MB_ICONWARNING, "MB_ICONWARNING"},
                       {MB_ICONINFORMATION, "MB_ICONINFORMATION"},
                       {-1, "0xFFFFFFFF (simple beep)"}};
const char* const ANSWER_NAMES[] = {"ok", "enter", "esc", "close"};

template <std::size_t N>
std::string nameOf(const Named (&table)[N], int value) {
    for (const Named& n : table)
        if (n.value == value) return n.name;
    return std::to_string(value);
}

std::string inQuotes(std::string_view text) { return "\"" + escapeBytes(text) + "\""; }

std::string hex32(DWORD value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(value));
    return buf;
}

std::string rectText(const RECT& r) {
    return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) + " " +
           std::to_string(r.bottom);
}

std::string trim(std::string_view s) {
    std::size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string_view::npos) return {};
    std::size_t e = s.find_last_not_of(" \t\r");
    return std::string(s.substr(b, e - b + 1));
}

// Words separated by blanks; "double quotes" group a word with spaces; an unquoted word
// starting with # ends the line.
std::vector<std::string> splitWords(std::string_view s) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\r')) ++i;
        if (i >= s.size() || s[i] == '#') break;
        std::string word;
        if (s[i] == '"') {
            std::size_t close = s.find('"', i + 1);
            if (close == std::string_view::npos) throw ScriptError("a quote is not closed");
            word = std::string(s.substr(i + 1, close - i - 1));
            i = close + 1;
        } else {
            while (i < s.size() && s[i] != ' ' && s[i] != '\t' && s[i] != '\r') word.push_back(s[i++]);
        }
        words.push_back(word);
    }
    return words;
}

std::string verbOf(const std::string& text) {
    std::string t = trim(text);
    return t.substr(0, t.find_first_of(" \t"));
}

std::string restOf(const std::string& text) {
    std::string t = trim(text);
    std::size_t space = t.find_first_of(" \t");
    return space == std::string::npos ? std::string() : trim(std::string_view(t).substr(space));
}

bool isCommentOrBlank(const std::string& text) {
    std::string t = trim(text);
    return t.empty() || t.front() == '#';
}

int parseSize(const std::string& word) {
    int value = -1;
    auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (ec != std::errc() || end != word.data() + word.size() || value < 0 || value > 32767)
        throw ScriptError("a size must be a whole number from 0 to 32767, not \"" + word + "\"");
    return value;
}

std::string joinFolder(const std::string& base, const std::string& path) {
    if (path.starts_with('/') || base.empty()) return path;
    return base.ends_with('/') ? base + path : base + "/" + path;
}

// A folder as a file dialog shows it: absolute, without "." or ".." steps or a final slash.
std::string normalFolder(const std::string& folder) {
    std::string normal = fs::path(folder).lexically_normal().string();
    while (normal.size() > 1 && normal.ends_with('/')) normal.pop_back();
    return normal;
}

std::string openDialogFilter(LPCSTR filter) {
    if (filter == nullptr) return "(none)";
    std::string text;
    // Pairs of description and pattern, the list ended by an empty string.
    for (const char* p = filter; *p != '\0';) {
        text += (text.empty() ? "" : " ") + inQuotes(p);
        p += std::strlen(p) + 1;
    }
    return text.empty() ? "(empty)" : text;
}

}  // namespace

// ---------------------------------------------------------------- files written

void FileWatch::watch(const std::string& folder) {
    std::error_code ec;
    fs::path canonical = fs::weakly_canonical(folder, ec);
    std::string key = ec ? folder : canonical.string();
    if (!folders_.contains(key)) folders_[key] = scan(key);
}

FileWatch::Snapshot FileWatch::scan(const std::string& folder) {
    Snapshot snap;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
        std::error_code fileEc;
        if (!entry.is_regular_file(fileEc)) continue;
        Seen seen{entry.last_write_time(fileEc).time_since_epoch().count(),
                  static_cast<long long>(entry.file_size(fileEc)), {}};
        if (static_cast<std::uintmax_t>(seen.size) <= COMPARED_FILE_BYTES) {
            std::ifstream in(entry.path(), std::ios::binary);
            std::ostringstream content;
            content << in.rdbuf();
            seen.content = content.str();
        }
        snap[entry.path().string()] = seen;
    }
    return snap;
}

std::vector<std::string> FileWatch::changes() {
    std::vector<std::string> lines;
    for (auto& [folder, before] : folders_) {
        Snapshot now = scan(folder);
        for (const auto& [path, seen] : now) {
            auto old = before.find(path);
            bool created = old == before.end();
            if (!created && old->second.modified == seen.modified && old->second.size == seen.size &&
                old->second.content == seen.content)
                continue;
            std::string line = std::string(created ? "file created " : "file written ") + inQuotes(path) + " " +
                               std::to_string(seen.size) + " bytes";
            if (static_cast<std::uintmax_t>(seen.size) <= SHOWN_FILE_BYTES) line += " " + inQuotes(seen.content);
            lines.push_back(line);
        }
        for (const auto& [path, seen] : before)
            if (!now.contains(path)) lines.push_back("file removed " + inQuotes(path));
        before = std::move(now);
    }
    return lines;
}

// ---------------------------------------------------------------- the script

HeadlessDesktop::HeadlessDesktop(std::istream& actions, std::ostream& transcript, std::string commandLine)
    : actions_(actions), out_(transcript), commandLine_(std::move(commandLine)) {}

void HeadlessDesktop::write(const std::string& line) { out_ << line << '\n' << std::flush; }

void HeadlessDesktop::watchFolder(const std::string& folder) { files_.watch(folder); }

bool HeadlessDesktop::peekLine(std::size_t ahead, Line& line) {
    while (lookahead_.size() <= ahead) {
        std::string text;
        if (!std::getline(actions_, text)) return false;
        ++lineNumber_;
        if (!isCommentOrBlank(text)) lookahead_.push_back(Line{lineNumber_, trim(text)});
    }
    line = lookahead_[ahead];
    return true;
}

bool HeadlessDesktop::readLine(Line& line) {
    if (!peekLine(0, line)) return false;
    lookahead_.pop_front();
    return true;
}

// "close" answers the next box when the next action that does something is one that can
// open a box (a menu choice or a key with Alt); otherwise it is the window's close box.
bool HeadlessDesktop::closeAnswersABox() {
    static const std::set<std::string> queued = {"ok",   "enter",  "esc",  "close",
                                                  "pick", "type", "cancel", "fail", "meanwhile"};
    Line next;
    for (std::size_t k = 0; peekLine(k, next); ++k) {
        std::string verb = verbOf(next.text);
        if (queued.contains(verb)) continue;
        return verb == "menu" || (verb == "alt" && restOf(next.text) != "F4");
    }
    return false;
}

void HeadlessDesktop::input(const char* what, InputResult result) {
    if (result == InputResult::NoSuchMenuItem) throw ScriptError(std::string("no menu command \"") + what + "\"");
    if (result != InputResult::Delivered) write(std::string("ignored: ") + describe(result));
}

void HeadlessDesktop::perform(const std::string& line) { performAt(Line{0, trim(line)}, true, false); }

void HeadlessDesktop::performAt(const Line& line, bool echo, bool meanwhile) {
    if (echo) write("> " + line.text);
    currentLine_ = line.number;
    std::string verb = verbOf(line.text);
    std::string rest = restOf(line.text);
    auto noArguments = [&] {
        if (!splitWords(rest).empty()) throw ScriptError(verb + " takes no arguments");
    };
    if (verb == "menu") {
        if (rest.empty()) throw ScriptError("menu needs a path such as File/Open...");
        input(rest.c_str(), chooseMenuItem(rest));
    } else if (verb == "alt") {
        if (rest == "F4") input("alt", pressAltF4());
        else if (rest == "space") input("alt", typeWithAlt(' '));
        else if (rest.size() == 1) input("alt", typeWithAlt(rest[0]));
        else throw ScriptError("alt takes one character, F4 or space");
    } else if (verb == "pick") {
        std::vector<std::string> words = splitWords(rest);
        if (words.size() < 2) throw ScriptError("pick needs a folder and at least one name");
        FileChoice choice;
        choice.kind = FileChoice::Kind::Pick;
        choice.folder = words[0];
        choice.names.assign(words.begin() + 1, words.end());
        fileChoices_.push_back(choice);
    } else if (verb == "type") {
        std::string path = rest.size() >= 2 && rest.front() == '"' && rest.back() == '"'
                               ? rest.substr(1, rest.size() - 2)
                               : rest;
        if (path.empty()) throw ScriptError("type needs a path");
        FileChoice choice;
        choice.kind = FileChoice::Kind::Typed;
        choice.names = {path};
        fileChoices_.push_back(choice);
    } else if (verb == "cancel") {
        noArguments();
        fileChoices_.push_back(FileChoice{});
    } else if (verb == "ok" || verb == "enter" || verb == "esc") {
        noArguments();
        answers_.push_back(verb == "ok" ? ModalAnswer::OkButton
                           : verb == "enter" ? ModalAnswer::Enter
                                             : ModalAnswer::Escape);
    } else if (verb == "close") {
        noArguments();
        if (!meanwhile && closeAnswersABox()) answers_.push_back(ModalAnswer::CloseBox);
        else input("close", clickCloseBox());
    } else if (verb == "size") {
        std::vector<std::string> words = splitWords(rest);
        if (words.size() != 2) throw ScriptError("size needs a width and a height");
        input("size", resizeClient(parseSize(words[0]), parseSize(words[1])));
    } else if (verb == "minimize") {
        noArguments();
        input("minimize", minimizeWindow());
    } else if (verb == "restore") {
        noArguments();
        input("restore", restoreWindow());
    } else if (verb == "expose") {
        noArguments();
        input("expose", exposeWindow());
    } else if (verb == "fail") {
        std::vector<std::string> words = splitWords(rest);
        std::size_t k = 0;
        while (k < std::size(OUTSIDE_CALL_NAMES) && (words.size() != 1 || words[0] != OUTSIDE_CALL_NAMES[k])) ++k;
        if (k == std::size(OUTSIDE_CALL_NAMES))
            throw ScriptError("fail takes GlobalAlloc, GlobalLock, OpenClipboard or SetClipboardData");
        ++failures_[k];
    } else if (verb == "meanwhile") {
        static const std::set<std::string> inputs = {"menu",    "alt",    "size",  "minimize",
                                                     "restore", "expose", "close"};
        if (!inputs.contains(verbOf(rest)))
            throw ScriptError("meanwhile takes menu, alt, size, minimize, restore, expose or close");
        meanwhile_.push_back(Line{line.number, rest});
    } else {
        throw ScriptError("unknown action \"" + verb + "\"");
    }
}

void HeadlessDesktop::waitForInput() {
    reportFiles();
    Line line;
    try {
        if (readLine(line)) {
            performAt(line, true, false);
            return;
        }
    } catch (const ScriptError& e) {
        throw ScriptError("line " + std::to_string(line.number) + ": " + e.what());
    }
    if (endOfInput_) throw DesktopStop(2, "the program is still running after the close at the end of input");
    endOfInput_ = true;
    HWND main = mainWindow();
    if (main == nullptr) throw DesktopStop(2, "end of input, the program has no window and is still running");
    write("end of input: clicking the close box of " + windowName(main));
    input("close", clickCloseBox());
}

void HeadlessDesktop::reportFiles() {
    for (const std::string& line : files_.changes()) write(line);
}

// While a box is up, the person does what "meanwhile" asked, and the window settles.
void HeadlessDesktop::settle() {
    pumpPendingMessages();
    while (!meanwhile_.empty()) {
        Line line = meanwhile_.front();
        meanwhile_.pop_front();
        write("meanwhile: " + line.text);
        performAt(line, false, true);
        pumpPendingMessages();
    }
}

ModalReply HeadlessDesktop::takeAnswer() {
    if (answers_.empty()) return ModalReply{ModalAnswer::OkButton, true};
    ModalAnswer a = answers_.front();
    answers_.pop_front();
    return ModalReply{a, false};
}

int HeadlessDesktop::finish(int exitCode, const std::string& why) {
    reportFiles();
    BlockCount left = unfreedBlocks();
    if (left.blocks > 0)
        noticeFault(std::to_string(left.blocks) + " global memory block(s) never freed (" +
                    std::to_string(left.bytes) + " bytes)");
    if (!answers_.empty()) note(std::to_string(answers_.size()) + " box answer(s) never used");
    if (!fileChoices_.empty()) note(std::to_string(fileChoices_.size()) + " Open dialog answer(s) never used");
    if (!meanwhile_.empty()) note(std::to_string(meanwhile_.size()) + " meanwhile action(s) never performed");
    for (std::size_t k = 0; k < failures_.size(); ++k)
        if (failures_[k] > 0) note(std::string("fail ") + OUTSIDE_CALL_NAMES[k] + " never took effect");
    Line unread;
    if (peekLine(0, unread)) note("input left unread from line " + std::to_string(unread.number));
    write("exit " + std::to_string(exitCode) + (why.empty() ? "" : " (stopped by the desktop: " + why + ")"));
    return exitCode;
}

// ---------------------------------------------------------------- Backend

void HeadlessDesktop::windowCreated(const WindowFacts& w) {
    write("window " + windowName(w.hwnd) + " created class " + inQuotes(w.className) + " title " + inQuotes(w.title) +
          " style " + hex32(w.style) + " rect " + rectText(w.windowRect) + " client " +
          std::to_string(w.clientRect.right) + " " + std::to_string(w.clientRect.bottom) + " menu " +
          (w.menuId ? std::to_string(w.menuId) : "none"));
}

void HeadlessDesktop::windowShown(HWND window, int showCommand) {
    write("show " + windowName(window) + " " + nameOf(SHOW_COMMANDS, showCommand));
}

void HeadlessDesktop::windowDestroyed(HWND window) { write("window " + windowName(window) + " destroyed"); }

TEXTMETRICA HeadlessDesktop::textMetrics() {
    TEXTMETRICA tm{};
    tm.tmHeight = LINE_HEIGHT;
    tm.tmAscent = 13;
    tm.tmDescent = LINE_HEIGHT - 13;
    tm.tmAveCharWidth = CHAR_WIDTH;
    tm.tmMaxCharWidth = CHAR_WIDTH;
    tm.tmWeight = 400;
    tm.tmDigitizedAspectX = 96;
    tm.tmDigitizedAspectY = 96;
    tm.tmFirstChar = 0x20;
    tm.tmLastChar = 0xFF;
    tm.tmDefaultChar = '?';
    tm.tmBreakChar = ' ';
    tm.tmPitchAndFamily = 0x30;  // FF_MODERN, fixed pitch
    return tm;
}

void HeadlessDesktop::paintBegun(HWND window, const RECT& area, bool erased) {
    bool empty = area.right <= area.left || area.bottom <= area.top;
    write("paint " + windowName(window) + (empty ? " empty" : " " + rectText(area)) + (erased ? " erase" : ""));
}

void HeadlessDesktop::textDrawn(HWND, int x, int y, std::string_view text) {
    write("  " + std::to_string(x) + " " + std::to_string(y) + " " + inQuotes(text));
}

void HeadlessDesktop::paintEnded(HWND) {}

ModalReply HeadlessDesktop::runMessageBox(const MessageBoxFacts& box) {
    write("messagebox owner " + windowName(box.owner) + " caption " +
          (box.caption ? inQuotes(box.caption) : std::string("(default)")) + " icon " +
          nameOf(ICONS, static_cast<int>(box.type & 0xF0)) + " text " + inQuotes(box.text));
    settle();
    return takeAnswer();
}

void HeadlessDesktop::messageBoxAnswered(const ModalReply& reply, int result) {
    write(std::string("messagebox answered ") + ANSWER_NAMES[static_cast<int>(reply.answer)] +
          (reply.byDefault ? " (default)" : " (queued)") + " -> " +
          (result == IDOK ? "IDOK" : result == IDCANCEL ? "IDCANCEL" : std::to_string(result)));
}

void HeadlessDesktop::dialogShown(const DialogFacts& d) {
    const rc::DialogTemplate& t = *d.layout;
    std::string line = "dialog " + std::to_string(t.id) + " " + windowName(d.dialog) + " owner " +
                       windowName(d.owner) + " caption " + inQuotes(t.caption) + " at " + std::to_string(t.x) + " " +
                       std::to_string(t.y) + " size " + std::to_string(t.cx) + " " + std::to_string(t.cy) +
                       " style " + hex32(t.style);
    if (t.fontSize > 0) line += " font " + std::to_string(t.fontSize) + " " + inQuotes(t.fontName);
    write(line);
    for (int i = 0; i < t.controlCount; ++i) {
        const rc::DialogControl& c = t.controls[i];
        std::string content = c.iconId ? "icon " + std::to_string(c.iconId) : inQuotes(c.text);
        write("  control " + std::string(c.statement) + " " + c.className + " id " + std::to_string(c.id) + " " +
              content + " at " + std::to_string(c.x) + " " + std::to_string(c.y) + " size " +
              std::to_string(c.cx) + " " + std::to_string(c.cy) + " style " + hex32(c.style));
    }
}

ModalReply HeadlessDesktop::awaitDialogAnswer(HWND dialog) {
    settle();
    if (answers_.empty() && defaultedDialogs_.contains(dialog))
        throw DesktopStop(3, "dialog " + windowName(dialog) + " stayed open after the default answer");
    ModalReply reply = takeAnswer();
    if (reply.byDefault) defaultedDialogs_.insert(dialog);
    write("dialog " + windowName(dialog) + " answer " + ANSWER_NAMES[static_cast<int>(reply.answer)] +
          (reply.byDefault ? " (default)" : " (queued)"));
    return reply;
}

void HeadlessDesktop::dialogEnded(HWND dialog, INT_PTR result) {
    defaultedDialogs_.erase(dialog);
    write("dialog " + windowName(dialog) + " ended with " + std::to_string(result));
}

FileChoice HeadlessDesktop::runOpenDialog(const OPENFILENAMEA& r) {
    write("opendialog owner " + windowName(r.hwndOwner) + " title " +
          (r.lpstrTitle ? inQuotes(r.lpstrTitle) : std::string("(default)")) + " filter " +
          openDialogFilter(r.lpstrFilter) + " initial " +
          (r.lpstrInitialDir ? inQuotes(r.lpstrInitialDir) : std::string("(none)")) + " flags " + hex32(r.Flags) +
          " nMaxFile " + std::to_string(r.nMaxFile));
    settle();
    FileChoice choice;
    choice.byDefault = fileChoices_.empty();
    if (!fileChoices_.empty()) {
        choice = fileChoices_.front();
        fileChoices_.pop_front();
    }
    // The dialog starts in its initial folder, or in the current one when none is given.
    std::string start;
    if (r.lpstrInitialDir != nullptr && r.lpstrInitialDir[0] != '\0') start = r.lpstrInitialDir;
    else currentDirectory(start);
    if (choice.kind == FileChoice::Kind::Typed) {
        // A typed name is taken in the dialog's folder unless it is a full path.
        fs::path typed = fs::path(joinFolder(start, choice.names.front())).lexically_normal();
        if (typed.has_filename()) {
            choice.folder = normalFolder(typed.parent_path().string());
            choice.names = {typed.filename().string()};
        }
    } else if (choice.kind == FileChoice::Kind::Pick) {
        choice.folder = normalFolder(joinFolder(start, choice.folder));
    }
    return choice;
}

void HeadlessDesktop::openDialogAnswered(const FileChoice& choice, const FileDialogOutcome& outcome) {
    std::string answer;
    switch (choice.kind) {
    case FileChoice::Kind::Cancel: answer = "cancel"; break;
    case FileChoice::Kind::Typed: answer = "type " + inQuotes(joinFolder(choice.folder, choice.names.front())); break;
    case FileChoice::Kind::Pick:
        answer = "pick " + inQuotes(choice.folder);
        for (const std::string& n : choice.names) answer += " " + inQuotes(n);
        break;
    }
    write("opendialog answer " + answer + (choice.byDefault ? " (default)" : " (queued)"));
    if (outcome.result) {
        write("opendialog returned 1 buffer " + inQuotes(outcome.buffer) + " nFileOffset " +
              std::to_string(outcome.fileOffset));
    } else {
        write("opendialog returned 0" + (outcome.failure.empty() ? std::string() : ": " + outcome.failure));
    }
}

void HeadlessDesktop::clipboardOpened(HWND owner) { write("clipboard opened by " + windowName(owner)); }
void HeadlessDesktop::clipboardEmptied() { write("clipboard emptied"); }
void HeadlessDesktop::clipboardTextSet(std::string_view bytes) {
    write("clipboard set CF_TEXT " + std::to_string(bytes.size()) + " bytes " + inQuotes(bytes));
}
void HeadlessDesktop::clipboardClosed() { write("clipboard closed"); }

void HeadlessDesktop::beep(UINT type) {
    write("beep " + nameOf(BEEPS, type == 0xFFFFFFFFu ? -1 : static_cast<int>(type)));
}

bool HeadlessDesktop::outsideCallFails(OutsideCall call) {
    int& pending = failures_[static_cast<std::size_t>(call)];
    if (pending == 0) return false;
    --pending;
    return true;
}

void HeadlessDesktop::outsideCallFailed(OutsideCall call, std::string_view detail) {
    write(std::string(OUTSIDE_CALL_NAMES[static_cast<std::size_t>(call)]) + " failed (injected): " +
          std::string(detail));
}

std::string HeadlessDesktop::commandLine() { return commandLine_; }

bool HeadlessDesktop::currentDirectory(std::string& folder) {
    std::error_code ec;
    fs::path cwd = fs::current_path(ec);
    if (ec) return false;
    folder = cwd.string();
    return true;
}

bool HeadlessDesktop::changeDirectory(const std::string& folder) {
    std::error_code ec;
    fs::path before = fs::current_path(ec);
    fs::current_path(folder, ec);
    if (ec) return false;
    if (fs::current_path(ec) == before) return true;
    write("directory changed to " + inQuotes(folder));
    files_.watch(folder);
    return true;
}

void HeadlessDesktop::noticeFault(std::string_view what) { write("! fault: " + std::string(what)); }
void HeadlessDesktop::note(std::string_view what) { write("note: " + std::string(what)); }

}  // namespace qv::headless
