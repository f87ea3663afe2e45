// Global memory and the clipboard: what a careful clipboard export relies on, and the
// faults our layer catches.
#include <cstring>

#include "tests/platform/desktop_fixture.h"

namespace qvtest {
namespace {

using MemoryTest = DesktopTest;
using ClipboardTest = DesktopTest;

TEST_F(MemoryTest, NewBlocksHoldGarbageUnlessAskedToBeZero) {
    struct Case {
        UINT flags;
        unsigned char expected;
    } cases[] = {{GMEM_MOVEABLE, 0xCD}, {GMEM_MOVEABLE | GMEM_ZEROINIT, 0x00}, {GMEM_FIXED, 0xCD}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        HGLOBAL h = GlobalAlloc(c.flags, 5);
        ASSERT_NE(h, nullptr);
        auto* p = static_cast<unsigned char*>(GlobalLock(h));
        ASSERT_NE(p, nullptr);
        for (int i = 0; i < 5; ++i) EXPECT_EQ(p[i], c.expected) << "byte " << i;
        GlobalUnlock(h);
        EXPECT_EQ(GlobalFree(h), nullptr);
    }
}

TEST_F(MemoryTest, MovableHandleIsNotItsAddressAndCountsLocks) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 8);
    void* first = GlobalLock(h);
    void* second = GlobalLock(h);
    EXPECT_NE(h, first);
    EXPECT_EQ(first, second);
    EXPECT_EQ(GlobalUnlock(h), TRUE);   // still locked once
    EXPECT_EQ(GlobalUnlock(h), FALSE);  // now unlocked
    EXPECT_EQ(GlobalUnlock(h), FALSE);  // not locked at all
    EXPECT_EQ(GlobalFree(h), nullptr);
    EXPECT_EQ(GlobalLock(h), nullptr);  // freed
    EXPECT_EQ(GlobalFree(h), h);        // freed twice: refused and reported
    EXPECT_TRUE(saw("! fault: GlobalFree of a block that is unknown or already freed"));
    // A fixed block's handle is its address.
    HGLOBAL fixed = GlobalAlloc(GMEM_FIXED, 4);
    EXPECT_EQ(GlobalLock(fixed), fixed);
    GlobalFree(fixed);
    // A movable block of no bytes exists but cannot be locked.
    HGLOBAL empty = GlobalAlloc(GMEM_MOVEABLE, 0);
    EXPECT_NE(empty, nullptr);
    EXPECT_EQ(GlobalLock(empty), nullptr);
    GlobalFree(empty);
    EXPECT_EQ(qv::unfreedBlocks().blocks, 0);
}

TEST_F(MemoryTest, UnfreedBlocksAreCountedAndReportedAtTheEnd) {
    GlobalAlloc(GMEM_MOVEABLE, 17);
    EXPECT_EQ(qv::unfreedBlocks().blocks, 1);
    EXPECT_EQ(qv::unfreedBlocks().bytes, 17u);
    EXPECT_EQ(desktop.finish(0), 0);
    EXPECT_TRUE(saw("! fault: 1 global memory block(s) never freed (17 bytes)"));
    EXPECT_EQ(lines().back(), "exit 0");
}

HGLOBAL textBlock(const char* text) {
    std::size_t n = std::strlen(text) + 1;
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, n);
    std::memcpy(GlobalLock(h), text, n);
    GlobalUnlock(h);
    return h;
}

TEST_F(ClipboardTest, CallsNeedTheClipboardOpen) {
    HGLOBAL h = textBlock("x");
    EXPECT_EQ(SetClipboardData(CF_TEXT, h), nullptr);
    EXPECT_TRUE(saw("! fault: SetClipboardData without OpenClipboard"));
    EXPECT_EQ(EmptyClipboard(), FALSE);
    EXPECT_EQ(CloseClipboard(), FALSE);
    // Another window cannot open it while it is open.
    ASSERT_EQ(OpenClipboard(nullptr), TRUE);
    EXPECT_EQ(OpenClipboard(reinterpret_cast<HWND>(std::uintptr_t{0x10010})), FALSE);
    EXPECT_EQ(CloseClipboard(), TRUE);
    GlobalFree(h);
}

TEST_F(ClipboardTest, TakesTheBlockAndFreesItWhenReplaced) {
    HGLOBAL first = textBlock("  8.25\r\n123.45\r\n");
    ASSERT_EQ(OpenClipboard(nullptr), TRUE);
    EXPECT_EQ(EmptyClipboard(), TRUE);
    EXPECT_EQ(SetClipboardData(CF_TEXT, first), first);
    EXPECT_EQ(CloseClipboard(), TRUE);
    EXPECT_TRUE(saw("clipboard set CF_TEXT 17 bytes \"  8.25\\r\\n123.45\\r\\n\\0\""));
    // The clipboard owns it now: the program may not free it, and it is not a leak.
    EXPECT_EQ(GlobalFree(first), first);
    EXPECT_TRUE(saw("! fault: GlobalFree of the block the clipboard owns (refused)"));
    EXPECT_EQ(qv::unfreedBlocks().blocks, 0);
    // The next export replaces the text; the clipboard frees the old block itself.
    HGLOBAL second = textBlock("1\r\n");
    OpenClipboard(nullptr);
    EmptyClipboard();
    EXPECT_EQ(GlobalLock(first), nullptr);
    SetClipboardData(CF_TEXT, second);
    CloseClipboard();
    EXPECT_EQ(qv::unfreedBlocks().blocks, 0);
}

TEST_F(ClipboardTest, RefusesBlocksItCannotOwn) {
    HGLOBAL fixed = GlobalAlloc(GMEM_FIXED, 2);
    OpenClipboard(nullptr);
    EXPECT_EQ(SetClipboardData(CF_TEXT, fixed), nullptr);
    EXPECT_EQ(SetClipboardData(CF_TEXT, nullptr), nullptr);
    EXPECT_EQ(SetClipboardData(2, textBlock("x")), nullptr);
    CloseClipboard();
    EXPECT_EQ(qv::unfreedBlocks().blocks, 2);
}

// Each injected failure hits the next call only, and is written to the transcript.
TEST_F(ClipboardTest, InjectedFailuresHitTheNextCallOnce) {
    struct Case {
        const char* name;
        bool (*call)();
    } cases[] = {
        {"GlobalAlloc", [] { return GlobalAlloc(GMEM_MOVEABLE, 3) != nullptr; }},
        {"GlobalLock", [] { return GlobalLock(GlobalAlloc(GMEM_MOVEABLE, 2)) != nullptr; }},
        {"OpenClipboard", [] { return OpenClipboard(nullptr) && CloseClipboard(); }},
        {"SetClipboardData",
         [] {
             OpenClipboard(nullptr);
             bool took = SetClipboardData(CF_TEXT, textBlock("ab")) != nullptr;
             CloseClipboard();
             return took;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        desktop.perform(std::string("fail ") + c.name);
        EXPECT_FALSE(c.call());
        EXPECT_TRUE(c.call());
        bool reported = false;
        for (const std::string& l : lines()) reported |= l.starts_with(std::string(c.name) + " failed (injected)");
        EXPECT_TRUE(reported);
    }
}

}  // namespace
}  // namespace qvtest
