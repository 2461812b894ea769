// The saver started as Windows starts it for a preview, many at once, and the command lines it refuses.
// The many spellings of the command line are the command-line unit tests' business, the full-screen run
// the dismissal tests'.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/folders.h"
#include "tests/support/saver_process.h"
#include "tests/support/settings_file.h"
#include "tests/support/waiting.h"
#include "win32/handles.h"

namespace {

std::string HandleText(HWND window)
{
    return std::to_string(reinterpret_cast<UINT_PTR>(window));
}

}  // namespace

TEST(RunModes, AnUnknownLetterAPreviewWithoutAUsableWindowAndAPasswordChangeOnNtEndWithMinusOne)
{
    const std::string desktop = HandleText(GetDesktopWindow());
    for (const std::string& arguments : {std::string("/x"), std::string("/p"), std::string("/p 99999999"),
                                         "/p " + desktop, std::string("/a 123")}) {
        SaverProcess saver(SaverPath(), arguments);
        EXPECT_EQ(saver.WaitForExit(), 0xFFFFFFFFu) << arguments << " (-1 as the process's full exit code)";
    }
}

TEST(RunModes, OfTenSaversStartedAtOnceOneRunsInTheForegroundAndTheOthersAndALaterStartEndWithZero)
{
    settings_file::Remove();
    std::vector<std::unique_ptr<SaverProcess>> savers;
    for (int i = 0; i < 10; ++i)
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
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window; }, 5000))
        << "the one left is in the foreground";
}

TEST(RunModes, APreviewWhoseHostIsKilledEnds)
{
    // The configuration dialog of another saver process stands in for the display properties.
    SaverProcess host(SaverPath(), "/c");
    HWND parent = host.WaitForWindow("#32770", "Bildschirmschoner Einstellungen", 30000);
    ASSERT_NE(parent, nullptr);
    SaverProcess preview(SaverPath(), "/p " + HandleText(parent));
    ASSERT_TRUE(WaitUntil(
        [&] { return FindWindowExA(parent, nullptr, kSaverWindowClass, "Preview") != nullptr; }, 30000));
    host.Kill();
    EXPECT_EQ(preview.WaitForExit(), 0u) << "the preview ends when its parent's process is gone";
}

TEST(RunModes, APreviewFillsItsParentAsAChildIgnoresInputAndClosesWhenAsked)
{
    settings_file::Reset({{"ChangeTime", "3600"}});
    HWND parent = CreateWindowA("STATIC", "Anzeige", WS_POPUP | WS_VISIBLE, 100, 100, 152, 112, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    ScopeExit destroy([&] { DestroyWindow(parent); });
    SaverProcess saver(SaverPath(), "/p " + HandleText(parent));
    HWND preview = nullptr;
    // Creating and destroying a child sends its parent messages: this thread answers them while it waits.
    ASSERT_TRUE(RunMessagesUntil(
        [&] {
            preview = FindWindowExA(parent, nullptr, kSaverWindowClass, "Preview");
            return preview != nullptr && (GetWindowLongA(preview, GWL_STYLE) & WS_VISIBLE);
        },
        10000));
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(preview, GWL_STYLE)) & ~static_cast<DWORD>(WS_CLIPSIBLINGS),
              static_cast<DWORD>(WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN));
    RECT client = {}, wanted = {0, 0, 152, 112};
    GetClientRect(preview, &client);
    EXPECT_TRUE(EqualRect(&client, &wanted)) << client.right << "x" << client.bottom;

    for (UINT message : {WM_KEYDOWN, WM_LBUTTONDOWN, WM_SYSKEYDOWN, WM_ACTIVATEAPP})
        PostMessageA(preview, message, 0, 0);
    for (const int x : {10, 600}) {
        SetCursorPos(x, x);
        PostMessageA(preview, WM_MOUSEMOVE, 0, 0);
    }
    EXPECT_FALSE(RunMessagesUntil([&] { return !saver.Running(); }, 500)) << "input does not end a preview";

    // A close that arrives while the engine is busy painting is dropped; the next one counts.
    WaitUntil(
        [&] {
            PostMessageA(preview, WM_CLOSE, 0, 0);
            return RunMessagesUntil([&] { return !saver.Running(); }, 100);
        },
        10000);
    EXPECT_EQ(saver.WaitForExit(0), 0u);
}

namespace {

// A window of this program in the saver's class and title: a saver of another program that already
// has the screen. It is shown without being activated: only the second start may bring it forward.
HWND OtherSaverWindow()
{
    WNDCLASSA saverClass{};
    saverClass.lpfnWndProc = DefWindowProcA;
    saverClass.hInstance = GetModuleHandleA(nullptr);
    saverClass.lpszClassName = kSaverWindowClass;
    RegisterClassA(&saverClass);
    const HWND window = CreateWindowA(kSaverWindowClass, kFullScreenTitle, WS_POPUP, 0, 0, 200, 100, nullptr,
                                      nullptr, GetModuleHandleA(nullptr), nullptr);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

}  // namespace

// A start while a saver has the screen brings that one forward and ends with 0: at once when the
// saver is there, and, when the first start still holds its turn, as soon as its window comes.
TEST(RunModes, ASecondStartBringsTheSaverThatHasTheScreenForwardAlsoWhileWaitingForItsTurn)
{
    settings_file::Reset({{"ChangeTime", "3600"}});
    HWND elsewhere = CreateWindowA("STATIC", "Anderswo", WS_POPUP | WS_VISIBLE, 300, 300, 100, 50, nullptr,
                                   nullptr, GetModuleHandleA(nullptr), nullptr);
    ScopeExit destroy([&] { DestroyWindow(elsewhere); });
    for (const bool waitsForTurn : {false, true}) {
        SCOPED_TRACE(waitsForTurn ? "while a first start holds the turn" : "the saver is there");
        SetForegroundWindow(elsewhere);
        ASSERT_TRUE(RunMessagesUntil([&] { return GetForegroundWindow() == elsewhere; }, 10000));
        // The turn as a first start takes it, before its window comes.
        UniqueKernelObject turn(CreateMutexA(nullptr, waitsForTurn, "Tavrix Bildschirmschoner: Vollbild"));
        HWND running = waitsForTurn ? nullptr : OtherSaverWindow();
        ASSERT_EQ(GetForegroundWindow(), elsewhere);
        SaverProcess second(SaverPath(), "/s");
        if (waitsForTurn) {
            EXPECT_FALSE(RunMessagesUntil([&] { return !second.Running(); }, 500))
                << "it waits for the turn";
            running = OtherSaverWindow();
            ASSERT_EQ(GetForegroundWindow(), elsewhere);
        }
        ASSERT_TRUE(RunMessagesUntil([&] { return !second.Running(); }, 30000));
        EXPECT_EQ(second.WaitForExit(0), 0u);
        // The activation reaches this thread as a message, which may still wait once the start ended.
        RunMessagesUntil([&] { return GetForegroundWindow() == running; }, 5000);
        EXPECT_EQ(GetForegroundWindow(), running) << "the saver with the screen is brought forward";
        EXPECT_FALSE(FindWindowExA(nullptr, running, kSaverWindowClass, nullptr))
            << "no second saver window";
        if (waitsForTurn) ReleaseMutex(turn.get());
        DestroyWindow(running);
    }
}

// A preview whose parent is gone ends by itself within moments, even when nothing destroyed the
// preview with it: here the parent lets the preview go before it goes itself.
TEST(RunModes, APreviewEndsOnceItsParentIsGoneEvenWhenThePreviewWasNotDestroyedWithIt)
{
    settings_file::Reset({{"ChangeTime", "3600"}});
    HWND parent = CreateWindowA("STATIC", "Anzeige", WS_POPUP | WS_VISIBLE, 100, 100, 152, 112, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    SaverProcess saver(SaverPath(), "/p " + HandleText(parent));
    HWND preview = nullptr;
    ASSERT_TRUE(RunMessagesUntil(
        [&] { return (preview = FindWindowExA(parent, nullptr, kSaverWindowClass, "Preview")) != nullptr; },
        30000));
    SetParent(preview, nullptr);
    ASSERT_TRUE(RunMessagesUntil([&] { return GetParent(preview) != parent; }, 10000));
    DestroyWindow(parent);
    EXPECT_TRUE(IsWindow(preview)) << "the preview itself lives on";
    EXPECT_TRUE(RunMessagesUntil([&] { return !saver.Running(); }, 10000)) << "and ends without its parent";
    EXPECT_EQ(saver.WaitForExit(0), 0u);
}
