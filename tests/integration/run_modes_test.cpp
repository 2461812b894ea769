// The saver started as Windows starts it: every command-line form, its windows and exit codes.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/saver_process.h"
#include "tests/support/settings_file.h"

namespace {

constexpr DWORD kBadCommandLine = 0xFFFFFFFF;  // -1 as the process's full exit code
constexpr char kDialogTitle[] = "Bildschirmschoner Einstellungen";

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

void ExpectFullScreenWindow(HWND window)
{
    ASSERT_NE(window, nullptr);
    LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_EQ(style & (WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN),
              WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    EXPECT_EQ(style & WS_CHILD, 0);
    EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT rect = {};
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(rect.bottom, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(GetParent(window), nullptr);
}

void ExpectSaverRunsAndEnds(const std::string& program, const std::string& arguments)
{
    SaverProcess saver(program, arguments);
    ASSERT_TRUE(saver.Started());
    HWND window = WaitForSaverWindow(saver);
    ExpectFullScreenWindow(window);
    EXPECT_EQ(DismissWithKeys(saver, window), 0u) << arguments;
}

DWORD ExitCodeOf(const std::string& arguments)
{
    SaverProcess saver(SaverPath(), arguments);
    return saver.WaitForExit();
}

class RunModes : public testing::Test {
protected:
    void SetUp() override
    {
        settings_file::Remove();
        settings_file::Write("ChangeTime", "3600");
    }
};

// A plain window of the test program that stands in for the display-properties dialog.
class ParentWindow {
public:
    ParentWindow(int clientWidth, int clientHeight)
    {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = Record;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "TavrixTestParent";
        RegisterClassA(&windowClass);
        RECT rect = {0, 0, clientWidth, clientHeight};
        AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, FALSE);
        window_ = CreateWindowA("TavrixTestParent", "Anzeige", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100,
                                rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    }
    ~ParentWindow()
    {
        if (IsWindow(window_)) DestroyWindow(window_);
    }
    HWND get() const { return window_; }
    std::string HandleText() const { return std::to_string(reinterpret_cast<UINT_PTR>(window_)); }

    // Lets the window receive what the saver posts to it, for a while.
    void Pump(DWORD ms)
    {
        DWORD start = GetTickCount();
        while (GetTickCount() - start < ms) {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
            Sleep(5);
        }
    }

    static inline UINT lastMessage = 0;
    static inline WPARAM lastWParam = 0;

private:
    static LRESULT CALLBACK Record(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_HELP || message == WM_CONTEXTMENU) {
            lastMessage = message;
            lastWParam = wParam;
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }
    HWND window_ = nullptr;
};

// Creating and destroying a child sends its parent messages: the parent's thread must answer.
void PumpPending()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
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

DWORD WaitForExitPumping(SaverProcess& saver)
{
    WaitUntil(
        [&] {
            PumpPending();
            return !saver.Running();
        },
        10000);
    return saver.WaitForExit(0);
}

}  // namespace

TEST_F(RunModes, EverySpellingOfTheSaveLetterStartsTheFullScreenSaver)
{
    for (const char* arguments : {"/s", "-S", "s", "/ -/s", "/s and whatever follows"})
        ExpectSaverRunsAndEnds(SaverPath(), arguments);
}

TEST_F(RunModes, AQuotedProgramPathWithSpacesStartsTheSaver)
{
    std::string folder = BuildFolder() + "with spaces\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string program = folder + "tavrix saver.scr";
    ASSERT_TRUE(CopyFileA(SaverPath().c_str(), program.c_str(), FALSE));
    ExpectSaverRunsAndEnds(program, "/s");
}

TEST_F(RunModes, ASecondStartBringsTheRunningSaverForwardAndEndsAtOnce)
{
    SaverProcess first(SaverPath(), "/s");
    HWND window = WaitForSaverWindow(first);
    ASSERT_NE(window, nullptr);
    SaverProcess second(SaverPath(), "/s");
    EXPECT_EQ(second.WaitForExit(), 0u);
    EXPECT_TRUE(first.Running());
    EXPECT_EQ(GetForegroundWindow(), window);
    EXPECT_EQ(DismissWithKeys(first, window), 0u);
}

TEST_F(RunModes, OfTwentySaversStartedAtOnceExactlyOneRunsInTheForeground)
{
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::vector<std::unique_ptr<SaverProcess>> savers;
        for (int i = 0; i < 20; ++i)
            savers.push_back(std::make_unique<SaverProcess>(SaverPath(), "/s", std::vector<std::string>{}, CREATE_SUSPENDED));
        for (auto& saver : savers) saver->Resume();
        std::vector<SaverProcess*> running;
        ASSERT_TRUE(WaitUntil(
            [&] {
                running.clear();
                for (auto& saver : savers)
                    if (saver->Running()) running.push_back(saver.get());
                return running.size() <= 1;
            },
            60000))
            << running.size() << " still running";
        ASSERT_EQ(running.size(), 1u) << "one saver stays";
        for (auto& saver : savers) {
            if (saver.get() != running.front()) {
                EXPECT_EQ(saver->WaitForExit(0), 0u);
            }
        }
        HWND window = WaitForSaverWindow(*running.front());
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window; }, 5000)) << "in the foreground";
        EXPECT_EQ(DismissWithKeys(*running.front(), window), 0u) << "so a key ends it";
    }
}

TEST_F(RunModes, UnknownLettersAndTabsEndWithMinusOneAndShowNothing)
{
    for (const char* arguments : {"/x", "/\ts", "?", "/\xE4"}) {
        SaverProcess saver(SaverPath(), arguments);
        EXPECT_EQ(saver.WaitForExit(), kBadCommandLine) << arguments;
    }
}

TEST_F(RunModes, APreviewWithoutAUsableWindowHandleEndsWithMinusOne)
{
    const std::string desktop = std::to_string(reinterpret_cast<UINT_PTR>(GetDesktopWindow()));
    for (const std::string& arguments :
         {std::string("/p"), std::string("/p 0"), std::string("/p:1234"), std::string("/l abc"), std::string("/p 99999999"),
          "/p " + desktop, "/l " + desktop})
        EXPECT_EQ(ExitCodeOf(arguments.c_str()), kBadCommandLine) << arguments;
}

TEST_F(RunModes, ThePreviewFillsItsParentAsAChildThatIsNeverTopmost)
{
    for (const char* letter : {"/p ", "/l ", "-P  "}) {
        ParentWindow parent(152, 112);
        SaverProcess saver(SaverPath(), letter + parent.HandleText());
        HWND preview = WaitForPreview(parent.get());
        ASSERT_NE(preview, nullptr) << letter;
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(preview, GWL_STYLE)) & ~static_cast<DWORD>(WS_CLIPSIBLINGS),
                  static_cast<DWORD>(WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN));
        EXPECT_FALSE(GetWindowLongA(preview, GWL_EXSTYLE) & WS_EX_TOPMOST);
        RECT client = {};
        GetClientRect(preview, &client);
        EXPECT_EQ(client.right, 152);
        EXPECT_EQ(client.bottom, 112);
        DestroyWindow(parent.get());
        EXPECT_EQ(WaitForExitPumping(saver), 0u) << "the preview ends with its parent";
    }
}

TEST_F(RunModes, APreviewWhoseHostIsKilledEnds)
{
    // The configuration dialog of another saver process stands in for the display properties.
    SaverProcess host(SaverPath(), "/c");
    HWND parent = host.WaitForWindow("#32770", "Bildschirmschoner Einstellungen", 30000);
    ASSERT_NE(parent, nullptr);
    SaverProcess preview(SaverPath(), "/p " + std::to_string(reinterpret_cast<UINT_PTR>(parent)));
    ASSERT_NE(WaitForPreview(parent), nullptr);
    host.Kill();
    EXPECT_EQ(preview.WaitForExit(10000), 0u) << "the preview ends when its parent's process is gone";
}

TEST_F(RunModes, TheHandleIsReadUpToTheFirstNonDigit)
{
    ParentWindow parent(200, 150);
    SaverProcess saver(SaverPath(), "/p " + parent.HandleText() + "ab");
    EXPECT_NE(WaitForPreview(parent.get()), nullptr);
}

TEST_F(RunModes, ThePreviewIgnoresInputAndHandsHelpToItsParent)
{
    ParentWindow parent(152, 112);
    SaverProcess saver(SaverPath(), "/p " + parent.HandleText());
    HWND preview = WaitForPreview(parent.get());
    ASSERT_NE(preview, nullptr);
    for (UINT message : {WM_KEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_SYSKEYDOWN})
        PostMessageA(preview, message, 0, 0);
    PostMessageA(preview, WM_ACTIVATEAPP, FALSE, 0);
    SetCursorPos(10, 10);
    PostMessageA(preview, WM_MOUSEMOVE, 0, 0);
    SetCursorPos(600, 500);
    PostMessageA(preview, WM_MOUSEMOVE, 0, 0);

    PostMessageA(preview, WM_CONTEXTMENU, 0, MAKELPARAM(5, 6));
    parent.Pump(500);
    EXPECT_TRUE(saver.Running());
    EXPECT_EQ(ParentWindow::lastMessage, static_cast<UINT>(WM_CONTEXTMENU));
    EXPECT_EQ(ParentWindow::lastWParam, reinterpret_cast<WPARAM>(parent.get()));
}

TEST_F(RunModes, ThePreviewClosesWhenAskedToClose)
{
    ParentWindow parent(152, 112);
    SaverProcess saver(SaverPath(), "/p " + parent.HandleText());
    HWND preview = WaitForPreview(parent.get());
    ASSERT_NE(preview, nullptr);
    // A close that arrives while the engine is busy painting is dropped; the next one counts.
    WaitUntil(
        [&] {
            PostMessageA(preview, WM_CLOSE, 0, 0);
            for (int i = 0; i < 10; ++i, Sleep(10)) PumpPending();
            return !saver.Running();
        },
        5000);
    EXPECT_EQ(WaitForExitPumping(saver), 0u);
}

TEST_F(RunModes, TheTitleOfTheSaverWindowCannotBeChanged)
{
    SaverProcess saver(SaverPath(), "/s");
    HWND window = WaitForSaverWindow(saver);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Something else")), 0);
    char title[64] = {};
    SendMessageA(window, WM_GETTEXT, sizeof(title), reinterpret_cast<LPARAM>(title));
    EXPECT_STREQ(title, kSaverTitle);
}

TEST_F(RunModes, ConfigurationOpensTheDialogWithOrWithoutArguments)
{
    for (const char* arguments : {"", "/c", "/c:1234", "-C 99"}) {
        SaverProcess saver(SaverPath(), arguments);
        HWND dialog = saver.WaitForWindow("#32770", kDialogTitle);
        ASSERT_NE(dialog, nullptr) << arguments;
        EXPECT_EQ(FindWindowA(kSaverClass, nullptr), nullptr) << "no saver window in configuration";
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        EXPECT_EQ(saver.WaitForExit(), 0u) << arguments;
    }
}

TEST_F(RunModes, OkInTheDialogEndsWithOne)
{
    SaverProcess saver(SaverPath(), "/c");
    HWND dialog = saver.WaitForWindow("#32770", kDialogTitle);
    ASSERT_NE(dialog, nullptr);
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(saver.WaitForExit(), 1u);
}

TEST_F(RunModes, ChangingThePasswordIsRefusedOnTheNtFamily)
{
    EXPECT_EQ(ExitCodeOf("/a"), kBadCommandLine);
    EXPECT_EQ(ExitCodeOf("/a 123"), kBadCommandLine);
}
