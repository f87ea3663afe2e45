// The Open dialog's file-name buffer walked as the Open command walks it, whatever the
// buffer holds: the paths handed to the loads are exactly the folder joined with each
// name, nothing is read past the buffer and nothing written past the path's room.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "shell/open_selection.h"
#include "tests/fuzz/fuzz_checks.h"

namespace {

// The paths the walk must give, worked out from the buffer's documented layout.
std::vector<std::string> expectedPaths(const char* buffer, std::size_t capacity, std::size_t fileOffset,
                                       std::size_t outCapacity) {
    std::vector<std::string> paths;
    const void* folderEnd = std::memchr(buffer, '\0', capacity);
    if (folderEnd == nullptr) return paths;
    const std::string folder(buffer, static_cast<const char*>(folderEnd));
    if (folder.empty()) return paths;
    if (fileOffset < folder.size() + 1) {  // one file: the first string is its path
        if (folder.size() < outCapacity) paths.push_back(folder);
        return paths;
    }
    for (std::size_t at = fileOffset; at < capacity;) {
        const void* nameEnd = std::memchr(buffer + at, '\0', capacity - at);
        if (nameEnd == nullptr) break;
        const std::string name(buffer + at, static_cast<const char*>(nameEnd));
        if (name.empty()) break;
        const std::string path = folder + FOLDER_SEPARATOR + name;
        if (path.size() >= outCapacity) break;
        paths.push_back(path);
        at += name.size() + 1;
    }
    return paths;
}

std::vector<std::string> walkedPaths(const char* buffer, std::size_t capacity, std::size_t fileOffset,
                                     std::size_t outCapacity, Finding& finding) {
    std::vector<std::string> paths;
    // Exactly outCapacity bytes: a write past them is caught.
    std::unique_ptr<char[]> out(new char[outCapacity]);
    SelectionCursor cursor = beginSelection(buffer, capacity, fileOffset);
    while (nextSelectedPath(cursor, FOLDER_SEPARATOR, out.get(), outCapacity)) {
        const void* end = std::memchr(out.get(), '\0', outCapacity);
        if (end == nullptr) {
            finding = "a chosen path is not terminated within its room";
            break;
        }
        paths.emplace_back(out.get());
        if (paths.size() > capacity) {
            finding = "the walk does not end";
            break;
        }
    }
    return paths;
}

}  // namespace

Finding checkOpenSelection(const uint8_t* data, std::size_t size) {
    InputBytes input{data, size};
    const std::size_t fileOffset = input.raw<uint16_t>();
    const std::size_t smallRoom = 1 + input.byte();
    const std::size_t rest = size > input.at ? size - input.at : 0;
    const std::size_t capacity = rest < OPEN_FILE_BUFFER_CAPACITY ? rest : OPEN_FILE_BUFFER_CAPACITY;
    if (capacity == 0) return {};
    // Exactly the buffer's bytes, with no terminator behind them: a read past it is caught.
    std::unique_ptr<char[]> buffer(new char[capacity]);
    std::memcpy(buffer.get(), data + input.at, capacity);

    for (const std::size_t room : {OPEN_FILE_BUFFER_CAPACITY, smallRoom}) {
        Finding finding;
        const std::vector<std::string> walked = walkedPaths(buffer.get(), capacity, fileOffset, room, finding);
        if (!finding.empty()) return finding;
        if (walked != expectedPaths(buffer.get(), capacity, fileOffset, room))
            return "the walk gives other paths than the buffer holds (room " + std::to_string(room) + ")";
    }
    return {};
}
