// Ending the full-screen saver: which input closes it, which does not, and the refused commands.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "tests/support/saver_process.h"
#include "tests/support/settings_file.h"

namespace {

constexpr POINT kStart = {500, 400};
constexpr DWORD kSettle = 600;  // long enough for the saver to finish its first picture change

class Dismissal : public testing::Test {
protected:
    void SetUp() override
    {
        settings_file::Remove();
        settings_file::Write("ChangeTime", "3600");  // no picture change while input is tested
        SetCursorPos(kStart.x, kStart.y);
        saver_ = std::make_unique<SaverProcess>(SaverPath(), "/s");
        window_ = WaitForSaverWindow(*saver_);
        ASSERT_NE(window_, nullptr);
        Sleep(kSettle);
        ASSERT_TRUE(saver_->Running());
    }

    bool ClosesOn(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        PostMessageA(window_, message, wParam, lParam);
        return saver_->WaitForExit(1000) == 0;
    }

    bool StaysAfter(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        PostMessageA(window_, message, wParam, lParam);
        return saver_->WaitForExit(300) == STILL_ACTIVE;
    }

    bool MoveMouseBy(int dx, int dy, DWORD wait)
    {
        SetCursorPos(kStart.x + dx, kStart.y + dy);
        PostMessageA(window_, WM_MOUSEMOVE, 0, 0);
        return saver_->WaitForExit(wait) == STILL_ACTIVE;
    }

    std::unique_ptr<SaverProcess> saver_;
    HWND window_ = nullptr;
};

}  // namespace

TEST_F(Dismissal, AKeyPressClosesTheSaver) { EXPECT_TRUE(ClosesOn(WM_KEYDOWN, 'A')); }
TEST_F(Dismissal, AKeyPressWithAltClosesTheSaver) { EXPECT_TRUE(ClosesOn(WM_SYSKEYDOWN, VK_MENU, 1 << 29)); }
TEST_F(Dismissal, TheLeftButtonClosesTheSaver) { EXPECT_TRUE(ClosesOn(WM_LBUTTONDOWN)); }
TEST_F(Dismissal, TheRightButtonClosesTheSaver) { EXPECT_TRUE(ClosesOn(WM_RBUTTONDOWN)); }
TEST_F(Dismissal, TheMiddleButtonClosesTheSaver) { EXPECT_TRUE(ClosesOn(WM_MBUTTONDOWN)); }
TEST_F(Dismissal, LosingActivationClosesTheSaver) { EXPECT_TRUE(ClosesOn(WM_ACTIVATEAPP, FALSE)); }

TEST_F(Dismissal, ReleasesDoubleClicksAndTheWheelDoNotClose)
{
    for (UINT message : {WM_KEYUP, WM_SYSKEYUP, WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP, WM_LBUTTONDBLCLK,
                         WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK, WM_MOUSEWHEEL, WM_CHAR})
        EXPECT_TRUE(StaysAfter(message)) << message;
    EXPECT_TRUE(StaysAfter(WM_ACTIVATEAPP, TRUE));
    EXPECT_TRUE(ClosesOn(WM_KEYDOWN, 'A')) << "and the saver still listens";
}

TEST_F(Dismissal, AMouseMoveWithoutTravelDoesNotClose)
{
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(MoveMouseBy(0, 0, 60));
}

TEST_F(Dismissal, FourPixelsOfTravelDoNotCloseAndFiveDo)
{
    EXPECT_TRUE(MoveMouseBy(2, 2, 400));
    EXPECT_TRUE(MoveMouseBy(-4, 0, 400));
    EXPECT_FALSE(MoveMouseBy(3, 2, 1000));
}

TEST_F(Dismissal, SmallMovesInOneDirectionAddUp)
{
    EXPECT_TRUE(MoveMouseBy(3, 0, 400));
    EXPECT_FALSE(MoveMouseBy(5, 0, 1000));
}

TEST_F(Dismissal, TaskSwitchingAndASecondSaverStartAreRefused)
{
    for (WPARAM command : {SC_NEXTWINDOW, SC_PREVWINDOW, SC_SCREENSAVE}) {
        EXPECT_EQ(SendMessageA(window_, WM_SYSCOMMAND, command, 0), 0);
        EXPECT_EQ(saver_->WaitForExit(200), STILL_ACTIVE);
    }
    EXPECT_TRUE(ClosesOn(WM_SYSCOMMAND, SC_CLOSE)) << "other system commands take their usual way";
}

TEST_F(Dismissal, AskingTheWindowToCloseEndsTheRunWithZero)
{
    EXPECT_TRUE(ClosesOn(WM_CLOSE));
}
