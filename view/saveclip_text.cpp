// The SaveClip text: one "%6.2f\r\n" line per circularized value, in micrometres.
#include "view/saveclip_text.h"

#include <cstring>

#include "view/number_format.h"

namespace {

// Room for any line: the widest float divided by 1e-6 is about 3.4e44, 45 integer
// digits, with its sign, two decimals, CR LF and the terminator well inside.
constexpr std::size_t CLIP_LINE_CAPACITY = 64;

// The entries that are exported: all of them while the list holds every value read since
// the reset, none once the total has reached the list's capacity.
int32_t exportedCount(const AnalysisState& state) {
    const bool listComplete = state.totalElements >= 0 && state.totalElements < SAVECLIP_CAPACITY;
    return listComplete ? state.totalElements : 0;
}

// The value widened to double and divided (not multiplied by 1e6) by 1e-6: metres to
// micrometres, with the rounding of that division.
std::size_t formatClipLine(float value, char* out) {
    const std::size_t written = formatFixed2(static_cast<double>(value) / 1e-6, out, CLIP_LINE_CAPACITY - 2);
    const std::size_t length = written < CLIP_LINE_CAPACITY - 3 ? written : CLIP_LINE_CAPACITY - 3;
    std::memcpy(out + length, "\r\n", 3);
    return length + 2;
}

}  // namespace

std::size_t saveClipTextLength(const AnalysisState& state) {
    char line[CLIP_LINE_CAPACITY];
    std::size_t length = 0;
    for (int32_t i = 0; i < exportedCount(state); ++i) length += formatClipLine(state.saveClipList[i], line);
    return length;
}

std::size_t writeSaveClipText(const AnalysisState& state, char* out, std::size_t capacity) {
    char line[CLIP_LINE_CAPACITY];
    std::size_t length = 0;
    for (int32_t i = 0; i < exportedCount(state); ++i) {
        const std::size_t lineLength = formatClipLine(state.saveClipList[i], line);
        if (length < capacity) {
            const std::size_t room = capacity - 1 - length;
            std::memcpy(out + length, line, lineLength < room ? lineLength : room);
        }
        length += lineLength;
    }
    if (capacity > 0) out[length < capacity ? length : capacity - 1] = '\0';
    return length;
}

std::string buildSaveClipText(const AnalysisState& state) {
    std::string text(saveClipTextLength(state), '\0');
    writeSaveClipText(state, text.data(), text.size() + 1);
    return text;
}
