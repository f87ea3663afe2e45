// A headless desktop installed for one test, with its transcript at hand, and a small
// window class whose procedure records what it receives.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "platform/common/desktop.h"
#include "platform/headless/headless_desktop.h"
#include "platform/win32.h"

namespace qvtest {

struct Received {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// What the recording window procedure saw, and how it behaves.
struct Recorder {
    std::vector<Received> messages;
    bool validatePaints = true;
    bool ignoreClose = false;
    int quitCode = 7;
    PAINTSTRUCT lastPaint{};

    int count(UINT message) const {
        int n = 0;
        for (const Received& r : messages) n += r.message == message;
        return n;
    }
};

inline Recorder* recorder = nullptr;

inline LRESULT CALLBACK recordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    recorder->messages.push_back(Received{message, wParam, lParam});
    switch (message) {
    case WM_PAINT:
        if (recorder->validatePaints) {
            BeginPaint(hwnd, &recorder->lastPaint);
            EndPaint(hwnd, &recorder->lastPaint);
        }
        return 0;
    case WM_DESTROY:
        PostQuitMessage(recorder->quitCode);
        return 0;
    case WM_CLOSE:
        if (recorder->ignoreClose) return 0;
        return DefWindowProcA(hwnd, message, wParam, lParam);
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

class DesktopTest : public ::testing::Test {
protected:
    void SetUp() override {
        qv::installBackend(&desktop);
        recorder = &record;
    }
    void TearDown() override {
        qv::installBackend(nullptr);
        recorder = nullptr;
    }

    // Actions the desktop reads when the program waits for input.
    void script(const std::string& text) {
        actions.str(text);
        actions.clear();
    }

    std::vector<std::string> lines() const {
        std::vector<std::string> out;
        std::istringstream in(transcript.str());
        for (std::string line; std::getline(in, line);) out.push_back(line);
        return out;
    }

    bool saw(const std::string& line) const {
        for (const std::string& l : lines())
            if (l == line) return true;
        return false;
    }

    // A registered class and a window of it, created and (optionally) shown; the messages
    // of creation are kept in the recorder.
    HWND makeWindow(UINT classStyle = CS_HREDRAW | CS_VREDRAW, bool withBrush = true, bool show = true) {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.style = classStyle;
        wc.lpfnWndProc = recordingProc;
        wc.hbrBackground = withBrush ? reinterpret_cast<HBRUSH>(static_cast<UINT_PTR>(COLOR_WINDOW + 1)) : nullptr;
        wc.lpszMenuName = MAKEINTRESOURCEA(109);
        wc.lpszClassName = "TEST";
        EXPECT_NE(RegisterClassExA(&wc), 0);
        HWND hwnd = CreateWindowExA(0, "TEST", "Test", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0,
                                    nullptr, nullptr, nullptr, nullptr);
        EXPECT_NE(hwnd, nullptr);
        if (show) {
            ShowWindow(hwnd, SW_SHOWNORMAL);
            UpdateWindow(hwnd);
        }
        return hwnd;
    }

    std::istringstream actions;
    std::ostringstream transcript;
    qv::headless::HeadlessDesktop desktop{actions, transcript, "\"/opt/quorvalen/quorvalen.exe\" one"};
    Recorder record;
};

}  // namespace qvtest
