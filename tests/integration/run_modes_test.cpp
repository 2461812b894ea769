// The saver started as Windows starts it: each run mode once, its windows and exit codes. The many
// spellings of the command line are the command-line unit tests' business.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/saver_process.h"
#include "tests/support/settings_file.h"

namespace {

constexpr DWORD kBadCommandLine = 0xFFFFFFFF;  // -1 as the process's full exit code

std::string HandleText(HWND window) { return std::to_string(reinterpret_cast<UINT_PTR>(window)); }

// Sends key presses until the saver is gone: a press that arrives while the engine is
// busy is dropped, and the next one asks again.
DWORD DismissWithKeys(SaverProcess& saver, HWND window)
{
    WaitUntil(
        [&] {
            PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
            return saver.WaitForExit(100) != STILL_ACTIVE;
        },
        5000);
    return saver.WaitForExit(1000);
}

// Creating and destroying a child sends its parent messages: the parent's thread must answer.
// A help request the preview hands to its parent is kept aside for the test.
MSG handedOn = {};
void PumpPending()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_CONTEXTMENU) handedOn = message;
        else DispatchMessageA(&message);
    }
}

HWND WaitForPreview(HWND parent)
{
    HWND preview = nullptr;
    WaitUntil(
        [&] {
            PumpPending();
            preview = FindWindowExA(parent, nullptr, kSaverClass, "Preview");
            return preview != nullptr && (GetWindowLongA(preview, GWL_STYLE) & WS_VISIBLE);
        },
        10000);
    return preview;
}

class RunModes : public testing::Test {
protected:
    void SetUp() override
    {
        settings_file::Remove();
        settings_file::Write("ChangeTime", "3600");
    }
};

}  // namespace

TEST_F(RunModes, TheSaverFromAQuotedPathWithSpacesFillsTheScreenOnTopKeepsItsTitleAndEndsOnAKey)
{
    std::string folder = BuildFolder() + "with spaces\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string program = folder + "tavrix saver.scr";
    ASSERT_TRUE(CopyFileA(SaverPath().c_str(), program.c_str(), FALSE));
    SaverProcess saver(program, "/s");
    HWND window = WaitForSaverWindow(saver);
    ASSERT_NE(window, nullptr);
    const LONG wanted = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & (wanted | WS_CHILD), wanted);
    EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT rect = {}, screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    GetWindowRect(window, &rect);
    EXPECT_TRUE(EqualRect(&rect, &screen)) << rect.left << "," << rect.top << " " << rect.right << "x" << rect.bottom;
    EXPECT_EQ(GetParent(window), nullptr);

    EXPECT_EQ(SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Something else")), 0);
    char title[64] = {};
    SendMessageA(window, WM_GETTEXT, sizeof(title), reinterpret_cast<LPARAM>(title));
    EXPECT_STREQ(title, kSaverTitle) << "the title cannot be changed";
    EXPECT_EQ(DismissWithKeys(saver, window), 0u);
}

TEST_F(RunModes, OfTwentySaversStartedAtOnceExactlyOneRunsInTheForegroundAndALaterStartEndsAtOnce)
{
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::vector<std::unique_ptr<SaverProcess>> savers;
        for (int i = 0; i < 20; ++i)
            savers.push_back(
                std::make_unique<SaverProcess>(SaverPath(), "/s", std::vector<std::string>{}, CREATE_SUSPENDED));
        for (auto& saver : savers) saver->Resume();
        SaverProcess* winner = nullptr;
        size_t running = 0;
        ASSERT_TRUE(WaitUntil(
            [&] {
                running = 0;
                for (auto& saver : savers)
                    if (saver->Running()) ++running, winner = saver.get();
                return running <= 1;
            },
            60000))
            << running << " still running";
        ASSERT_EQ(running, 1u) << "one saver stays";
        for (auto& saver : savers)
            EXPECT_TRUE(saver.get() == winner || saver->WaitForExit(0) == 0u) << "the others end with 0";
        HWND window = WaitForSaverWindow(*winner);
        ASSERT_NE(window, nullptr);
        SaverProcess later(SaverPath(), "/s");
        EXPECT_EQ(later.WaitForExit(), 0u) << "a later start ends at once";
        EXPECT_TRUE(winner->Running());
        EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window; }, 5000)) << "in the foreground";
        EXPECT_EQ(DismissWithKeys(*winner, window), 0u) << "so a key ends it";
    }
}

TEST_F(RunModes, AnUnknownLetterAPreviewWithoutAUsableWindowAndAPasswordChangeOnNtEndWithMinusOne)
{
    const std::string desktop = HandleText(GetDesktopWindow());
    for (const std::string& arguments : {std::string("/x"), std::string("/p"), std::string("/p 99999999"),
                                         "/p " + desktop, std::string("/a 123")}) {
        SaverProcess saver(SaverPath(), arguments);
        EXPECT_EQ(saver.WaitForExit(), kBadCommandLine) << arguments;
    }
}

TEST_F(RunModes, APreviewFillsItsParentAsAChildIgnoresInputHandsHelpOnAndClosesWhenAsked)
{
    HWND parent = CreateWindowA("STATIC", "Anzeige", WS_POPUP | WS_VISIBLE, 100, 100, 152, 112, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    SaverProcess saver(SaverPath(), "/p " + HandleText(parent));
    HWND preview = WaitForPreview(parent);
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(preview, GWL_STYLE)) & ~static_cast<DWORD>(WS_CLIPSIBLINGS),
              static_cast<DWORD>(WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN));
    EXPECT_FALSE(GetWindowLongA(preview, GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT client = {}, wanted = {0, 0, 152, 112};
    GetClientRect(preview, &client);
    EXPECT_TRUE(EqualRect(&client, &wanted)) << client.right << "x" << client.bottom;

    for (UINT message : {WM_KEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_SYSKEYDOWN})
        PostMessageA(preview, message, 0, 0);
    PostMessageA(preview, WM_ACTIVATEAPP, FALSE, 0);
    SetCursorPos(10, 10);
    PostMessageA(preview, WM_MOUSEMOVE, 0, 0);
    SetCursorPos(600, 500);
    PostMessageA(preview, WM_MOUSEMOVE, 0, 0);
    handedOn = {};
    PostMessageA(preview, WM_CONTEXTMENU, 0, MAKELPARAM(5, 6));
    EXPECT_TRUE(WaitUntil([] { return PumpPending(), handedOn.message == WM_CONTEXTMENU; }, 10000)) << "help goes on";
    EXPECT_EQ(handedOn.wParam, reinterpret_cast<WPARAM>(parent)) << "with the parent's handle";
    EXPECT_FALSE(WaitUntil([&] { return PumpPending(), !saver.Running(); }, 500)) << "input does not end a preview";

    // A close that arrives while the engine is busy painting is dropped; the next one counts.
    WaitUntil(
        [&] {
            PostMessageA(preview, WM_CLOSE, 0, 0);
            for (int i = 0; i < 10; ++i, Sleep(10)) PumpPending();
            return !saver.Running();
        },
        10000);
    EXPECT_EQ(saver.WaitForExit(0), 0u);
    DestroyWindow(parent);
}

TEST_F(RunModes, APreviewWhoseHostIsKilledEnds)
{
    // The configuration dialog of another saver process stands in for the display properties.
    SaverProcess host(SaverPath(), "/c");
    HWND parent = host.WaitForWindow("#32770", "Bildschirmschoner Einstellungen", 30000);
    ASSERT_NE(parent, nullptr);
    SaverProcess preview(SaverPath(), "/p " + HandleText(parent));
    ASSERT_NE(WaitForPreview(parent), nullptr);
    host.Kill();
    EXPECT_EQ(preview.WaitForExit(10000), 0u) << "the preview ends when its parent's process is gone";
}
