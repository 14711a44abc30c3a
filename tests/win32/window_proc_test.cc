// The window procedure and the WGL context of the Windows program (built and run under Wine by
// scripts/build-windows.sh and scripts/wine-smoke.sh).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/platform_win32.h"
#include "render/gl.h"
#include "tests/win32/win32_support.h"

namespace {

std::vector<std::string> calls;

// Each event as one short line: kind, then key or position and button.
void collect(const InputEvent& e) {
    const char* kinds[] = {"keyDown", "keyUp", "move", "down", "up"};
    std::string line = kinds[e.kind];
    if (e.kind == INPUT_KEY_DOWN || e.kind == INPUT_KEY_UP)
        line += " " + std::to_string(e.key);
    else
        line += " " + std::to_string(e.x) + " " + std::to_string(e.y);
    if (e.kind == INPUT_PRESS || e.kind == INPUT_RELEASE) line += " " + std::to_string(e.button);
    calls.push_back(line);
}

class WindowProcedure : public ::testing::Test {
protected:
    void SetUp() override {
        calls.clear();
        win32InputSink() = collect;
    }
    void TearDown() override { resetWin32InputSink(); }
    static void send(UINT message, WPARAM wParam, LPARAM lParam) {
        EXPECT_EQ(windowProc(nullptr, message, wParam, lParam), 0);
    }
    static WPARAM wheel(int delta) { return MAKEWPARAM(0, (WORD)(short)delta); }
};

}  // namespace

TEST_F(WindowProcedure, KeysAndButtonsBecomeInputEvents) {
    send(WM_KEYDOWN, VK_F12, 0);
    send(WM_KEYUP, VK_ESCAPE, 0);
    send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20));
    send(WM_LBUTTONUP, 0, MAKELPARAM(11, 21));
    send(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(30, 40));
    send(WM_RBUTTONUP, 0, MAKELPARAM(31, 41));
    send(WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(1, 1));  // the middle button is not used
    // Positions are unsigned 16-bit words: a pointer left of the window reads as a large x.
    send(WM_MOUSEMOVE, 0, MAKELPARAM((WORD)-1, 700));
    std::vector<std::string> expected = {"keyDown 123", "keyUp 27", "down 10 20 1", "up 11 21 1",
                                         "down 30 40 3", "up 31 41 3", "move 65535 700"};
    EXPECT_EQ(calls, expected);
}

TEST_F(WindowProcedure, TheWheelIsAPressOfButtonFourOrFiveWithNoRelease) {
    send(WM_MOUSEWHEEL, wheel(120), MAKELPARAM(100, 200));
    send(WM_MOUSEWHEEL, wheel(-120), MAKELPARAM(100, 200));
    send(WM_MOUSEWHEEL, wheel(-360), MAKELPARAM(5, 6));
    send(WM_MOUSEWHEEL, wheel(60), MAKELPARAM(5, 6));
    send(WM_MOUSEWHEEL, wheel(-60), MAKELPARAM(5, 6));  // less than a notch back truncates to 0: forward
    std::vector<std::string> expected = {"down 100 200 4", "down 100 200 5", "down 5 6 5", "down 5 6 4",
                                         "down 5 6 4"};
    EXPECT_EQ(calls, expected);
}

// A real window of the program's procedure: WM_CREATE sets the pixel format and makes a WGL context
// current; WM_SIZE sets the viewport; WM_CLOSE drops the context and posts the quit message.
TEST(WindowContext, CreateSizeAndClose) {
    HWND window = openTestWindow("VelmoraWindowContextTest", 64, 48);
    ASSERT_NE(window, nullptr);
    ASSERT_NE(wglGetCurrentContext(), nullptr);
    ASSERT_EQ(WindowFromDC(wglGetCurrentDC()), window);
    PIXELFORMATDESCRIPTOR format = {};
    DescribePixelFormat(wglGetCurrentDC(), GetPixelFormat(wglGetCurrentDC()), sizeof format, &format);
    EXPECT_TRUE(format.dwFlags & PFD_DOUBLEBUFFER);
    EXPECT_TRUE(format.dwFlags & PFD_SUPPORT_OPENGL);
    EXPECT_GE(format.cDepthBits, 16);

    SendMessageA(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(64, 0));
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 64);
    EXPECT_EQ(viewport[3], 1);  // a zero height is one pixel high

    EXPECT_EQ(dispatchWaitingMessages(), -1);
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_TRUE(IsWindow(window));  // closing does not destroy the window; the process ends it
    EXPECT_EQ(dispatchWaitingMessages(), 0);  // the quit message, with exit code 0
    DestroyWindow(window);
}
