// A person's actions turned into the messages Windows generates for them, and the
// installation of the backend that every Win32 call goes through.
#include <cstdio>
#include <vector>

#include "platform/common/desktop.h"
#include "platform/common/state.h"

namespace qv {
namespace {

using detail::Window;

// lParam of a key typed with Alt held: repeat count 1, context code (bit 29) set.
constexpr LPARAM ALT_KEY_LPARAM = 0x20000001;

// The text a menu shows: ampersands left out ("&&" shows one), no accelerator hint after a tab.
std::string shownText(const char* text) {
    std::string shown;
    for (const char* p = text; *p && *p != '\t'; ++p) {
        if (*p == '&') {
            if (p[1] != '&') continue;
            ++p;
        }
        shown.push_back(*p);
    }
    return shown;
}

std::vector<std::string> splitPath(std::string_view path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t slash = path.find('/', start);
        parts.emplace_back(path.substr(start, slash - start));
        if (slash == std::string_view::npos) return parts;
        start = slash + 1;
    }
}

// Finds a command in the flat, depth-first menu list by the texts along its path.
const rc::MenuItem* findMenuCommand(const rc::Menu& menu, std::string_view path) {
    std::vector<std::string> parts = splitPath(path);
    int first = 0;
    int last = menu.count;  // the items of the current popup: [first, last)
    for (std::size_t depth = 0; depth < parts.size(); ++depth) {
        int found = -1;
        for (int i = first; i < last; ++i) {
            const rc::MenuItem& item = menu.items[i];
            if (item.level == static_cast<int>(depth) && item.kind != rc::MenuItemKind::Separator &&
                shownText(item.text) == parts[depth]) {
                found = i;
                break;
            }
        }
        if (found < 0) return nullptr;
        const rc::MenuItem& item = menu.items[found];
        if (depth + 1 == parts.size()) return item.kind == rc::MenuItemKind::Command ? &item : nullptr;
        if (item.kind != rc::MenuItemKind::Popup) return nullptr;
        first = found + 1;
        last = first;
        while (last < menu.count && menu.items[last].level > item.level) ++last;
    }
    return nullptr;
}

// The main window, when a person can act on it; otherwise why not.
InputResult targetWindow(Window*& window, bool evenWhenDisabled = false) {
    window = detail::findWindow(mainWindow());
    if (window == nullptr) return InputResult::NoWindow;
    if (!evenWhenDisabled && !detail::enabled(*window)) return InputResult::WindowDisabled;
    return InputResult::Delivered;
}

InputResult postToMain(UINT message, WPARAM wParam, LPARAM lParam) {
    Window* w = nullptr;
    InputResult r = targetWindow(w);
    if (r == InputResult::Delivered) detail::postMessage(detail::toHwnd(w->number), message, wParam, lParam);
    return r;
}

}  // namespace

void installBackend(Backend* backend) {
    detail::state() = detail::State{};
    detail::state().backend = backend;
}

const char* describe(InputResult result) {
    switch (result) {
    case InputResult::Delivered: return "delivered";
    case InputResult::NoWindow: return "there is no window";
    case InputResult::WindowDisabled: return "the window is disabled while a modal box is up";
    case InputResult::NoSuchMenuItem: return "the menu has no such command";
    case InputResult::NotMinimized: return "the window is not minimized";
    }
    return "?";
}

InputResult chooseMenuItem(std::string_view path) {
    Window* w = nullptr;
    if (InputResult r = targetWindow(w); r != InputResult::Delivered) return r;
    const rc::Menu* menu = rc::findMenu(w->menuId);
    const rc::MenuItem* item = menu ? findMenuCommand(*menu, path) : nullptr;
    if (item == nullptr) return InputResult::NoSuchMenuItem;
    // A menu choice arrives as a posted WM_COMMAND with 0 in the high word.
    detail::postMessage(detail::toHwnd(w->number), WM_COMMAND, MAKEWPARAM(item->id, 0), 0);
    return InputResult::Delivered;
}

InputResult typeWithAlt(char character) {
    return postToMain(WM_SYSCHAR, static_cast<unsigned char>(character), ALT_KEY_LPARAM);
}

InputResult pressAltF4() { return postToMain(WM_SYSKEYDOWN, VK_F4, ALT_KEY_LPARAM); }

InputResult clickCloseBox() { return postToMain(WM_SYSCOMMAND, SC_CLOSE, 0); }

InputResult resizeClient(int width, int height) {
    Window* w = nullptr;
    if (InputResult r = targetWindow(w); r != InputResult::Delivered) return r;
    detail::resizeClientArea(*w, width, height);
    return InputResult::Delivered;
}

InputResult minimizeWindow() {
    Window* w = nullptr;
    if (InputResult r = targetWindow(w); r != InputResult::Delivered) return r;
    detail::minimizeWindow(*w);
    return InputResult::Delivered;
}

InputResult restoreWindow() {
    Window* w = nullptr;
    if (InputResult r = targetWindow(w); r != InputResult::Delivered) return r;
    if (!w->minimized) return InputResult::NotMinimized;
    detail::restoreWindow(*w);
    return InputResult::Delivered;
}

InputResult exposeWindow() {
    Window* w = nullptr;
    // Uncovering repaints a disabled window too: that is how an owner repaints under a box.
    if (InputResult r = targetWindow(w, true); r != InputResult::Delivered) return r;
    detail::invalidateClient(*w, nullptr, true);
    return InputResult::Delivered;
}

std::string escapeBytes(std::string_view bytes) {
    std::string out;
    for (char ch : bytes) {
        auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\0': out += "\\0"; break;
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        default:
            if (c >= 0x20 && c < 0x7F) {
                out.push_back(ch);
            } else {
                char hex[5];
                std::snprintf(hex, sizeof hex, "\\x%02X", c);
                out += hex;
            }
        }
    }
    return out;
}

}  // namespace qv
