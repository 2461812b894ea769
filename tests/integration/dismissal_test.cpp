// Ending the full-screen saver: which input closes it, which does not, and the refused commands.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "host/host_state.h"
#include "host/host_window.h"
#include "tests/support/engine_window.h"
#include "tests/support/folders.h"
#include "tests/support/saver_process.h"
#include "tests/support/screen.h"
#include "tests/support/settings_file.h"
#include "tests/support/waiting.h"

namespace {

constexpr POINT kStart = {500, 400};

// Puts the cursor at kStart + (dx, dy) and waits until it reads back there: a verdict on travel the
// cursor did not make would mean nothing. A program of Wine's that has not yet met its desktop moves
// no cursor (when no other program keeps the desktop up), so this one meets it first.
bool CursorMovedBy(int dx, int dy)
{
    GetDesktopWindow();
    const POINT target = {kStart.x + dx, kStart.y + dy};
    return WaitUntil(
        [&] {
            SetCursorPos(target.x, target.y);
            POINT at = {};
            return GetCursorPos(&at) && at.x == target.x && at.y == target.y;
        },
        10000);
}

class Dismissal : public testing::Test {
protected:
    // A saver started with the cursor at kStart, past its start (which holds closes off).
    void Start()
    {
        settings_file::Reset({{"ChangeTime", "3600"}});  // no picture change while input is tested
        ASSERT_TRUE(CursorMovedBy(0, 0));
        saver_ = std::make_unique<SaverProcess>(SaverPath(), "/s");
        window_ = WaitForSaverWindow(*saver_);
        ASSERT_NE(window_, nullptr);
        ASSERT_TRUE(WaitForAPictureOnTheScreen());
    }

    bool StaysAfter(UINT message, WPARAM wParam = 0)
    {
        PostMessageA(window_, message, wParam, 0);
        return saver_->WaitForExit(400) == STILL_ACTIVE;
    }

    std::unique_ptr<SaverProcess> saver_;
    HWND window_ = nullptr;
};

}  // namespace

TEST_F(Dismissal, KeysButtonsLosingActivationAndCloseCommandsEachEndTheRunWithZero)
{
    const struct {
        const char* what;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    } cases[] = {
        {"a key", WM_KEYDOWN, 'A', 0},
        {"a key with Alt", WM_SYSKEYDOWN, VK_MENU, 1 << 29},
        {"the left button", WM_LBUTTONDOWN, 0, 0},
        {"the right button", WM_RBUTTONDOWN, 0, 0},
        {"the middle button", WM_MBUTTONDOWN, 0, 0},
        {"losing activation", WM_ACTIVATEAPP, FALSE, 0},
        {"a close request", WM_CLOSE, 0, 0},
        {"the close command", WM_SYSCOMMAND, SC_CLOSE, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_NO_FATAL_FAILURE(Start());
        PostMessageA(window_, c.message, c.wParam, c.lParam);
        EXPECT_EQ(saver_->WaitForExit(5000), 0u);
    }
}

TEST_F(Dismissal, ReleasesTheWheelGainedActivationTaskSwitchesAndFourPixelsOfTravelDoNotCloseAndFiveDo)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    const std::pair<UINT, WPARAM> staying[] = {{WM_KEYUP, 0},
                                               {WM_SYSKEYUP, 0},
                                               {WM_LBUTTONUP, 0},
                                               {WM_RBUTTONUP, 0},
                                               {WM_MBUTTONUP, 0},
                                               {WM_LBUTTONDBLCLK, 0},
                                               {WM_RBUTTONDBLCLK, 0},
                                               {WM_MBUTTONDBLCLK, 0},
                                               {WM_MOUSEWHEEL, 0},
                                               {WM_CHAR, 0},
                                               {WM_ACTIVATEAPP, TRUE},
                                               {WM_SYSCOMMAND, SC_NEXTWINDOW},
                                               {WM_SYSCOMMAND, SC_PREVWINDOW},
                                               {WM_SYSCOMMAND, SC_SCREENSAVE}};
    for (auto [message, wParam] : staying)
        EXPECT_TRUE(StaysAfter(message, wParam)) << message << ", " << wParam;
    // Travel counts from where the cursor stood at the start, not from the last move.
    for (POINT by : {POINT{0, 0}, POINT{2, 2}, POINT{-4, 0}}) {
        ASSERT_TRUE(CursorMovedBy(by.x, by.y));
        EXPECT_TRUE(StaysAfter(WM_MOUSEMOVE)) << "four pixels or less: " << by.x << "," << by.y;
    }
    ASSERT_TRUE(CursorMovedBy(3, 2));
    PostMessageA(window_, WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(saver_->WaitForExit(5000), 0u) << "five pixels close";
}

namespace {

// The system reports each system command it is about to carry out to a CBT hook: this one records
// them, and stops them all.
std::vector<WPARAM> carriedOut;

LRESULT CALLBACK RecordSystemCommands(int code, WPARAM wParam, LPARAM lParam)
{
    if (code != HCBT_SYSCOMMAND) return CallNextHookEx(nullptr, code, wParam, lParam);
    carriedOut.push_back(wParam & 0xFFF0);
    return 1;
}

}  // namespace

// Task switching and a start of the screen saver never reach the system while the full-screen saver
// runs: they would switch away from, or start again over, a saver that may guard the screen with a
// password. Other commands do. The saver window's own procedures, in a window of this program.
TEST(RefusedCommands, TaskSwitchesAndAnotherSaverStartNeverReachTheSystemWhileTheSaverRuns)
{
    settings_file::Reset({{"ChangeTime", "3600"}});
    hostState.instance = GetModuleHandleA(nullptr);
    engine_window::EngineWindow window(1024, 768, HostWindowProc, kSaverWindowClass);
    ASSERT_TRUE(window.get());
    const HHOOK hook = SetWindowsHookExA(WH_CBT, RecordSystemCommands, nullptr, GetCurrentThreadId());
    ASSERT_TRUE(hook);
    for (const WPARAM command : {SC_NEXTWINDOW, SC_PREVWINDOW, SC_SCREENSAVE, SC_MINIMIZE})
        EXPECT_EQ(SendMessageA(window.get(), WM_SYSCOMMAND, command, 0), 0) << std::hex << command;
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(carriedOut, std::vector<WPARAM>{SC_MINIMIZE}) << "only the command the saver lets through";
}
