// quorvalen-headless: the program's own WinMain on the headless desktop. Actions come from
// standard input, the transcript goes to standard output, and the process exits with
// WinMain's result (2 for a script the desktop cannot follow).
//
// Options: --command-line TEXT replaces the whole command line the program sees (so the
// settings path can be exercised, e.g. a folder named "jane.doe"); every other argument
// is passed on as the desktop's shell would, each quoted only when it holds a blank.
#include <climits>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "platform/common/desktop.h"
#include "platform/headless/headless_desktop.h"

namespace {

namespace fs = std::filesystem;

// The module's instance handle: the traditional image base of a Windows executable.
const auto INSTANCE = reinterpret_cast<HINSTANCE>(std::uintptr_t{0x400000});

std::string programPath(const char* argv0) {
    std::error_code ec;
    if (argv0 != nullptr && std::strchr(argv0, '/') != nullptr) {
        // As started, not with links resolved: a copy or link in another folder is a
        // program in that folder, with its settings there.
        fs::path p = fs::absolute(argv0, ec).lexically_normal();
        if (!ec) return p.string();
    }
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(argv0 ? argv0 : "quorvalen-headless") : self.string();
}

std::string quoteArgument(const std::string& arg) {
    bool blank = arg.empty() || arg.find_first_of(" \t") != std::string::npos;
    return blank ? "\"" + arg + "\"" : arg;
}

// The command line as the desktop's shell builds it: the full path in double quotes, then
// the arguments.
std::string buildCommandLine(const std::string& program, const std::vector<std::string>& args) {
    std::string line = "\"" + program + "\"";
    for (const std::string& arg : args) line += " " + quoteArgument(arg);
    return line;
}

// The first token of a command line, as Windows reads it: up to the closing quote when it
// starts with one, else up to the first blank.
std::string programToken(const std::string& commandLine) {
    if (commandLine.starts_with('"')) {
        std::size_t close = commandLine.find('"', 1);
        return commandLine.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    }
    return commandLine.substr(0, commandLine.find_first_of(" \t"));
}

// What WinMain's lpCmdLine holds: the command line after the program and the blanks after it.
std::string argumentsPart(const std::string& commandLine) {
    std::size_t i = 0;
    if (commandLine.starts_with('"')) {
        std::size_t close = commandLine.find('"', 1);
        i = close == std::string::npos ? commandLine.size() : close + 1;
    } else {
        i = std::min(commandLine.find_first_of(" \t"), commandLine.size());
    }
    while (i < commandLine.size() && (commandLine[i] == ' ' || commandLine[i] == '\t')) ++i;
    return commandLine.substr(i);
}

}  // namespace

int main(int argc, char** argv) {
    std::string commandLine;
    bool replaced = false;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--command-line") == 0 && i + 1 < argc) {
            commandLine = argv[++i];
            replaced = true;
        } else {
            args.emplace_back(argv[i]);
        }
    }
    if (!replaced) commandLine = buildCommandLine(programPath(argv[0]), args);

    qv::headless::HeadlessDesktop desktop(std::cin, std::cout, commandLine);
    qv::installBackend(&desktop);
    std::error_code ec;
    std::string cwd = fs::current_path(ec).string();
    desktop.write("start command-line \"" + qv::escapeBytes(commandLine) + "\" directory \"" +
                  qv::escapeBytes(cwd) + "\"");
    std::string program = programToken(commandLine);
    desktop.watchFolder(fs::absolute(program, ec).parent_path().string());
    desktop.watchFolder(cwd);

    std::string arguments = argumentsPart(commandLine);
    int code = 0;
    try {
        code = desktop.finish(WinMain(INSTANCE, nullptr, arguments.data(), SW_SHOWDEFAULT));
    } catch (const qv::headless::ScriptError& e) {
        std::cerr << "quorvalen-headless: " << e.what() << '\n';
        desktop.write(std::string("! script error: ") + e.what());
        code = desktop.finish(2, e.what());
    } catch (const qv::headless::DesktopStop& e) {
        code = desktop.finish(e.code, e.what());
    }
    qv::installBackend(nullptr);
    return code;
}
