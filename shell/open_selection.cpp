// Walking the Open dialog's multiple-selection buffer and loading each chosen file.
#include "shell/open_selection.h"

#include <cstdio>
#include <cstring>

namespace {

// Length of the string at position, or capacity when it has no terminator in the buffer.
std::size_t boundedLength(const SelectionCursor& cursor, std::size_t position) {
    if (position >= cursor.capacity) return cursor.capacity;
    std::size_t room = cursor.capacity - position;
    const void* nul = std::memchr(cursor.buffer + position, '\0', room);
    return nul == nullptr ? cursor.capacity
                          : static_cast<std::size_t>(static_cast<const char*>(nul) -
                                                     (cursor.buffer + position));
}

bool fits(std::size_t length, std::size_t capacity) { return length < capacity; }

}  // namespace

SelectionCursor beginSelection(const char* buffer, std::size_t capacity, std::size_t fileOffset) {
    SelectionCursor cursor{buffer, capacity, 0, fileOffset, false, false};
    cursor.folderLength = boundedLength(cursor, 0);
    cursor.single = fileOffset < cursor.folderLength + 1;
    cursor.done = cursor.folderLength == 0 || cursor.folderLength == capacity;
    return cursor;
}

bool nextSelectedPath(SelectionCursor& cursor, char separator, char* out, std::size_t outCapacity) {
    if (cursor.done) return false;
    if (cursor.single) {
        cursor.done = true;
        if (!fits(cursor.folderLength, outCapacity)) return false;
        std::memcpy(out, cursor.buffer, cursor.folderLength);
        out[cursor.folderLength] = '\0';
        return true;
    }
    std::size_t nameLength = boundedLength(cursor, cursor.position);
    if (nameLength == 0 || nameLength == cursor.capacity) {
        cursor.done = true;
        return false;
    }
    std::size_t pathLength = cursor.folderLength + 1 + nameLength;
    if (!fits(pathLength, outCapacity)) {
        cursor.done = true;
        return false;
    }
    std::memcpy(out, cursor.buffer, cursor.folderLength);
    out[cursor.folderLength] = separator;
    std::memcpy(out + cursor.folderLength + 1, cursor.buffer + cursor.position, nameLength);
    out[pathLength] = '\0';
    cursor.position += nameLength + 1;
    return true;
}

void loadSelectedFile(AnalysisState& state, MessageOwner owner, const char* path) {
    if (setDataFilePath(state, path)) {
        loadDataFile(state, owner);
        return;
    }
    // The reader's own words for a file it cannot open, with the whole path that was chosen.
    static char text[32 + OPEN_FILE_BUFFER_CAPACITY + DATA_FILE_PATH_CAPACITY];
    std::snprintf(text, sizeof text, "Cannot find file %s", path);
    showMessage(owner, text, nullptr, MessageIcon::error);
    state.dataValid = 0;
}
