// The host's layers seen from inside the process: timer ticks after closing, help in preview.
#include <windows.h>

#include <gtest/gtest.h>

#include "engine/background_stage.h"
#include "engine/engine_proc.h"
#include "host/host_state.h"
#include "host/host_window.h"

namespace {

HWND CreateSaverWindow(HWND parent, int width, int height)
{
    WNDCLASSA saverClass = {};
    saverClass.style = CS_OWNDC | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    saverClass.lpfnWndProc = HostWindowProc;
    saverClass.hInstance = GetModuleHandleA(nullptr);
    saverClass.lpszClassName = "WindowsScreenSaverClass";
    RegisterClassA(&saverClass);
    DWORD style = parent ? WS_CHILD | WS_VISIBLE : WS_POPUP | WS_VISIBLE;
    return CreateWindowExA(0, "WindowsScreenSaverClass", parent ? "Preview" : "Screen Saver", style, 0, 0, width,
                           height, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
}

bool EngineIsAnimating() { return currentStage && dynamic_cast<BackgroundStage*>(currentStage.get()) == nullptr; }

}  // namespace

TEST(HostWindow, TimerTicksReachTheEngineUntilClosingIsApproved)
{
    HWND window = CreateSaverWindow(nullptr, 320, 240);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(currentStage) << "creation builds the background stage";
    hostState.closeApproved = 1;
    EXPECT_EQ(SendMessageA(window, WM_TIMER, 1, 0), 0);
    EXPECT_FALSE(EngineIsAnimating()) << "the dropped tick painted nothing and built no engine";
    hostState.closeApproved = 0;
    EXPECT_EQ(SendMessageA(window, WM_TIMER, 1, 0), 1);
    EXPECT_TRUE(EngineIsAnimating());
    DestroyWindow(window);
    EXPECT_FALSE(currentStage);
}

TEST(HostWindow, AFullScreenCloseRequestWhileTheBackgroundIsPendingIsDropped)
{
    HWND window = CreateSaverWindow(nullptr, 320, 240);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 1);
    EXPECT_TRUE(IsWindow(window));
    SendMessageA(window, WM_TIMER, 1, 0);
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window)) << "once the engine runs, the close goes through";
}

TEST(HostWindow, ThePreviewHandsContextMenuRequestsToItsParentWithTheParentsHandle)
{
    HWND parent = CreateWindowA("STATIC", "Anzeige", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 160, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    hostState.isPreview = 1;
    HWND preview = CreateSaverWindow(parent, 152, 112);
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(SendMessageA(preview, WM_CONTEXTMENU, 0, 1234), 1);
    MSG posted = {};
    ASSERT_TRUE(PeekMessageA(&posted, parent, WM_CONTEXTMENU, WM_CONTEXTMENU, PM_REMOVE));
    EXPECT_EQ(posted.wParam, reinterpret_cast<WPARAM>(parent));
    EXPECT_EQ(posted.lParam, 1234);
    // WM_HELP is posted the same way, but its lParam points into our memory, so the
    // system refuses to post it; the preview still answers it as handled.
    HELPINFO help = {};
    help.cbSize = sizeof(help);
    EXPECT_EQ(SendMessageA(preview, WM_HELP, 0, reinterpret_cast<LPARAM>(&help)), 1);
    DestroyWindow(parent);
}

TEST(HostWindow, ThePreviewClosesWithoutAskingAndIgnoresInput)
{
    HWND parent = CreateWindowA("STATIC", "Anzeige", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 160, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    hostState.isPreview = 1;
    HWND preview = CreateSaverWindow(parent, 152, 112);
    SendMessageA(preview, WM_TIMER, 1, 0);
    SendMessageA(preview, WM_KEYDOWN, 'A', 0);
    SendMessageA(preview, WM_ACTIVATEAPP, FALSE, 0);
    MSG posted = {};
    EXPECT_FALSE(PeekMessageA(&posted, preview, WM_CLOSE, WM_CLOSE, PM_NOREMOVE)) << "input asks for no close";
    SendMessageA(preview, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(preview));
    DestroyWindow(parent);
}
