// quorvalen-report: the analysis for people and scripts on machines without the window.
// Loads data files in the order given, exactly as one Open of several files does, and
// prints the results page, its layout, the SaveClip text, JSON or a per-file CSV table.
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/analysis_state.h"
#include "core/message.h"
#include "tools/report_output.h"
#include "view/results_page.h"
#include "view/saveclip_text.h"

namespace {

constexpr int EXIT_LOADED = 0;
constexpr int EXIT_LOAD_FAILED = 1;
constexpr int EXIT_USAGE = 2;

const char USAGE[] =
    "Usage: quorvalen-report [OPTION] FILE...\n"
    "Loads the measurement data files in the order given, adding each one that reads\n"
    "correctly to the statistics, and prints the results.\n"
    "\n"
    "  (no option)       the lines of the results page, one per line\n"
    "  --layout W,CW,L   each page line as x<TAB>y<TAB>text, for a window W pixels wide\n"
    "                    and a font of CW by L pixels\n"
    "  --clip            the SaveClip text: every value in micrometres, CR LF lines\n"
    "  --json            every count, extreme and result as one JSON object, and the\n"
    "                    messages of the loads\n"
    "  --per-file        CSV: one row per file as if loaded alone, then all files together\n"
    "  --help            show this text\n"
    "  --                end of options; every later argument is a file\n"
    "\n"
    "Messages of the loads go to standard error, one per line.\n"
    "Exit status: 0 when the last file loaded, 1 when it failed or there was nothing to\n"
    "copy, 2 on a usage error.\n";

enum class OutputMode { page, layout, clip, json, perFile };

struct OptionSpec {
    std::string_view name;
    OutputMode mode;
    bool takesArgument;
};

constexpr OptionSpec OUTPUT_OPTIONS[] = {
    {"--layout", OutputMode::layout, true},
    {"--clip", OutputMode::clip, false},
    {"--json", OutputMode::json, false},
    {"--per-file", OutputMode::perFile, false},
};

struct ReportRequest {
    OutputMode mode = OutputMode::page;
    bool modeChosen = false;
    bool help = false;
    ViewMetrics metrics{};
    std::vector<const char*> files;
    std::string error;  // a usage error, empty when the command line is good
};

// Where the messages of the loads go: always kept, printed to standard error unless quiet.
struct MessageLog {
    std::vector<std::string> texts;
    bool quiet = false;
};

// The message box of the window, for a terminal: the log travels as the box's owner.
void logMessage(MessageOwner owner, const char* text, const char*, MessageIcon) {
    auto* log = static_cast<MessageLog*>(owner);
    log->texts.emplace_back(text);
    if (!log->quiet) std::fprintf(stderr, "%s\n", text);
}

// "W,CW,L": three signed 32-bit integers.
bool parseMetrics(std::string_view text, ViewMetrics& metrics) {
    int32_t* fields[] = {&metrics.clientWidth, &metrics.charWidth, &metrics.lineHeight};
    const char* p = text.data();
    const char* end = text.data() + text.size();
    for (std::size_t i = 0; i < 3; ++i) {
        const auto [next, ec] = std::from_chars(p, end, *fields[i]);
        if (ec != std::errc{}) return false;
        const char expected = i < 2 ? ',' : '\0';
        if (expected == '\0') return next == end;
        if (next == end || *next != expected) return false;
        p = next + 1;
    }
    return false;
}

const OptionSpec* findOption(std::string_view name) {
    for (const OptionSpec& option : OUTPUT_OPTIONS) {
        if (option.name == name) return &option;
    }
    return nullptr;
}

// A usage problem that quotes what the user wrote. Built by appending: GCC 12 at -O3 warns
// falsely (-Wrestrict) about "'" + std::string(...) chains.
std::string quotedProblem(std::string_view before, std::string_view quoted, std::string_view after) {
    std::string text;
    text.append(before).append("'").append(quoted).append("'").append(after);
    return text;
}

// Takes one option (and its argument); returns the number of arguments used.
int takeOption(ReportRequest& request, int argc, char** argv, int i) {
    std::string_view arg = argv[i];
    std::string_view value;
    bool inlineValue = false;
    if (const auto eq = arg.find('='); eq != std::string_view::npos) {
        value = arg.substr(eq + 1);
        arg = arg.substr(0, eq);
        inlineValue = true;
    }
    if (arg == "--help" && !inlineValue) {
        request.help = true;
        return 1;
    }
    const OptionSpec* option = findOption(arg);
    if (option == nullptr || (inlineValue && !option->takesArgument)) {
        request.error = quotedProblem("unknown option ", argv[i], "");
        return 1;
    }
    if (request.modeChosen) {
        request.error = "only one of --layout, --clip, --json, --per-file may be given";
        return 1;
    }
    request.mode = option->mode;
    request.modeChosen = true;
    if (!option->takesArgument) return 1;
    if (!inlineValue) {
        if (i + 1 >= argc) {
            request.error = quotedProblem("option ", arg, " needs W,CW,L");
            return 1;
        }
        value = argv[i + 1];
    }
    if (!parseMetrics(value, request.metrics)) request.error = quotedProblem("", value, " is not W,CW,L");
    return inlineValue ? 1 : 2;
}

ReportRequest parseCommandLine(int argc, char** argv) {
    ReportRequest request;
    bool optionsEnded = false;
    for (int i = 1; i < argc && request.error.empty();) {
        const bool isOption = !optionsEnded && argv[i][0] == '-' && argv[i][1] != '\0';
        if (isOption && std::strcmp(argv[i], "--") == 0) {
            optionsEnded = true;
            ++i;
        } else if (isOption) {
            i += takeOption(request, argc, argv, i);
        } else {
            request.files.push_back(argv[i++]);
        }
    }
    if (request.error.empty() && !request.help && request.files.empty()) request.error = "no data file given";
    return request;
}

// One file, as the Open command hands it on: the path into dataFilePath, then the load.
// A path longer than dataFilePath can hold is a file that cannot be found.
void loadOneFile(AnalysisState& state, const char* path, MessageLog& log) {
    if (!setDataFilePath(state, path)) {
        const std::string text = "Cannot find file " + std::string(path);
        showMessage(&log, text.c_str(), nullptr, MessageIcon::error);
        state.dataValid = 0;
        return;
    }
    loadDataFile(state, &log);
}

// The record as the window has it when it opens: reset, nothing to show.
void startAnalysis(AnalysisState& state) {
    resetAnalysis(state);
    state.dataValid = 0;
}

void printPage(const ResultsPage& page, bool withPositions) {
    for (int32_t i = 0; i < page.count; ++i) {
        const PageLine& line = page.lines[i];
        if (withPositions) std::printf("%d\t%d\t", line.x, line.y);
        std::fwrite(line.text, 1, static_cast<std::size_t>(line.length), stdout);
        std::fputc('\n', stdout);
    }
}

// The SaveClip command without the clipboard: the same two refusals, then the text.
int printClip(const AnalysisState& state, MessageLog& log) {
    if (state.totalElements >= SAVECLIP_CAPACITY) {
        showMessage(&log, "Too many cells for SaveClip", nullptr, MessageIcon::error);
        return EXIT_LOAD_FAILED;
    }
    if (state.dataValid == 0) {
        showMessage(&log, "No data to copy", nullptr, MessageIcon::information);
        return EXIT_LOAD_FAILED;
    }
    const std::string text = buildSaveClipText(state);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return EXIT_LOADED;
}

// Each file on its own (in a record of its own, after a reset), then all files together.
void loadAndPrintPerFile(const std::vector<const char*>& files, MessageLog& log) {
    static AnalysisState alone;  // too large for the stack
    writeCsvHeader(stdout);
    for (const char* file : files) {
        loadOneFile(analysisState, file, log);
        MessageLog aloneLog;
        aloneLog.quiet = true;
        startAnalysis(alone);
        loadOneFile(alone, file, aloneLog);
        const std::string message = aloneLog.texts.empty() ? "" : aloneLog.texts.front();
        writeCsvRow(stdout, file, message, alone.dataValid == 1 ? &alone : nullptr);
    }
    writeCsvRow(stdout, "(all files)", "", &analysisState);
}

int printReport(const ReportRequest& request, MessageLog& log) {
    switch (request.mode) {
        case OutputMode::page: printPage(layoutResultsPage(analysisState, request.metrics), false); break;
        case OutputMode::layout: printPage(layoutResultsPage(analysisState, request.metrics), true); break;
        case OutputMode::clip: return printClip(analysisState, log);
        case OutputMode::json: writeJsonReport(stdout, analysisState, log.texts); break;
        case OutputMode::perFile: break;  // printed while loading
    }
    return analysisState.dataValid == 1 ? EXIT_LOADED : EXIT_LOAD_FAILED;
}

int runReport(const ReportRequest& request) {
    MessageLog log;
    setShowMessage(logMessage);
    startAnalysis(analysisState);
    if (request.mode == OutputMode::perFile) {
        loadAndPrintPerFile(request.files, log);
    } else {
        for (const char* file : request.files) loadOneFile(analysisState, file, log);
    }
    const int status = printReport(request, log);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "quorvalen-report: cannot write the output\n");
        return EXIT_LOAD_FAILED;
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    const ReportRequest request = parseCommandLine(argc, argv);
    if (!request.error.empty()) {
        std::fprintf(stderr, "quorvalen-report: %s (try 'quorvalen-report --help')\n", request.error.c_str());
        return EXIT_USAGE;
    }
    if (request.help) {
        std::fputs(USAGE, stdout);
        return EXIT_LOADED;
    }
    return runReport(request);
}
