// The Windows 95/98 family's password on close, asked while the pictures move on; the saver-running
// notice; the password change.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/bmp_bytes.h"
#include "tests/support/folders.h"
#include "tests/support/saver_process.h"
#include "tests/support/screen.h"
#include "tests/support/settings_file.h"
#include "tests/support/waiting.h"

namespace {

// What the stand-in DLLs log: one line a call, each ended by CRLF.
const std::string kLog = ScratchFolder() + "fixture.log";

void SetPasswordInUse(DWORD value)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &key), ERROR_SUCCESS);
    RegSetValueExA(key, "ScreenSaveUsePassword", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                   sizeof(value));
    RegCloseKey(key);
}

// The saver-running notice as the system holds it for the whole session, read afresh: Wine keeps it
// in this volatile key (SystemParametersInfo would answer from this process's cache).
bool NoticeGiven()
{
    char value[8] = {};
    DWORD bytes = sizeof(value);
    return RegGetValueA(HKEY_CURRENT_USER,
                        "Software\\Wine\\Temporary System Parameters\\Control Panel\\Desktop",
                        "WINE_ScreenSaverRunning", RRF_RT_ANY, nullptr, value, &bytes) == ERROR_SUCCESS &&
           value[0] == '1';
}

// The pictures go on behind the dialog: the screen outside it changes from one moment to the next.
bool PicturesMoveBeside(HWND dialog)
{
    RECT hidden{};
    GetWindowRect(dialog, &hidden);
    return WaitUntil(
        [&] {
            const ScreenShot before;
            Sleep(100);  // ten steps at the default speed
            const ScreenShot after;
            for (int y = 0; y < before.Height(); y += 2)
                for (int x = 0; x < before.Width(); x += 2)
                    if (!PtInRect(&hidden, POINT{x, y}) && before.At(x, y) != after.At(x, y)) return true;
            return false;
        },
        10000);
}

class Password : public testing::Test {
protected:
    void SetUp() override
    {
        settings_file::Reset({{"ChangeTime", "3600"}});
        DeleteFileA(kLog.c_str());
    }
    void TearDown() override
    {
        SetPasswordInUse(0);
        BOOL previous = FALSE;
        SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, FALSE, &previous, 0);  // for the tests after
    }

    // Starts a saver copy that Wine shows the 98 family, with the stand-in DLLs beside it.
    void Start()
    {
        saver_ = std::make_unique<SaverProcess>(Win98SaverPath(), "/s",
                                                std::vector<std::string>{"TAVRIX_FIXTURE_LOG=" + kLog});
        window_ = WaitForSaverWindow(*saver_);
        ASSERT_NE(window_, nullptr);
        ASSERT_TRUE(WaitForAPictureOnTheScreen()) << "the saver's start, which holds closes off, is over";
    }

    // A key goes unanswered while the saver counts it to the quiet time after an answer, and a
    // busy saver may count a little longer than this test: keys until the dialog shows.
    HWND PressUntilTheVerifierShows() const
    {
        HWND dialog = nullptr;
        WaitUntil(
            [&] {
                PostMessageA(window_, WM_KEYDOWN, 'K', 0);
                return WaitUntil(
                    [&] { return IsWindowVisible(dialog = FindWindowA(nullptr, "Kennwort eingeben")); },
                    1000);
            },
            30000);
        return IsWindowVisible(dialog) ? dialog : nullptr;
    }

    std::unique_ptr<SaverProcess> saver_;
    HWND window_ = nullptr;
};

}  // namespace

TEST_F(Password,
       WithoutOneAKeyClosesWithOneItIsAskedOnceACancelKeepsTheSaverAndOkClosesItAndWithdrawsTheNotice)
{
    SetPasswordInUse(0);
    ASSERT_NO_FATAL_FAILURE(Start());
    PostMessageA(window_, WM_KEYDOWN, 'K', 0);
    EXPECT_EQ(saver_->WaitForExit(), 0u) << "no password in use: nothing is asked";

    SetPasswordInUse(1);
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_TRUE(NoticeGiven()) << "while the saver runs, the system knows";
    HWND dialog = PressUntilTheVerifierShows();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(PicturesMoveBeside(dialog)) << "the pictures move on while the password is asked";
    for (UINT input : {WM_KEYDOWN, WM_LBUTTONDOWN, WM_CLOSE}) PostMessageA(window_, input, 0, 0);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(saver_->WaitForExit(400), STILL_ACTIVE) << "a refused password leaves the saver running";

    ASSERT_NE(dialog = PressUntilTheVerifierShows(), nullptr) << "the next key asks again";
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(saver_->WaitForExit(), 0u);
    EXPECT_FALSE(NoticeGiven()) << "and it is told when the run ends";
    EXPECT_EQ(FileText(kLog), "verify\r\nverify\r\n") << "input while the dialog is up asks nothing more";
}

// The key that asks for the password also stops the user's picture loading, so that the saver
// closes at once. Refused, the saver stays: the picture then comes after all.
TEST_F(Password, ACancelledPasswordAfterAKeyStoppedTheOwnPictureLoadingStillBringsThePicture)
{
    constexpr COLORREF kGreen = RGB(0, 255, 0);
    // The largest picture the saver takes, all green: its load lasts long enough for keys to land
    // in it. Its pixels, all colour 0, are a hole in the file that costs no disk.
    const bmp_bytes::Picture green{40, 8192, 6144, 8, 0, 0, 1, 0, {0x00FF00}, 0, {}, {}};
    const bmp_bytes::TempFile picture(ScratchFolder() + "green.bmp", bmp_bytes::Bytes(green));
    ASSERT_TRUE(picture.written() && bmp_bytes::Extend(picture.path(), 8192 * 6144)) << "no room for it";
    // One tiny picture standing in the middle: the corners show the background.
    settings_file::Write({{"Background", "5"},
                          {"OwnBitmap", picture.path()},
                          {"Scale", "0"},
                          {"Centered", "1"},
                          {"Move", "0"}});
    SetPasswordInUse(1);
    saver_ = std::make_unique<SaverProcess>(Win98SaverPath(), "/s",
                                            std::vector<std::string>{"TAVRIX_FIXTURE_LOG=" + kLog});
    // Key presses, as the keyboard makes them, from the window's first moment on: those before the
    // load are dropped, one lands in it.
    INPUT keys[2] = {};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = 'K';
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            if (GetForegroundWindow() == FindWindowA("WindowsScreenSaverClass", "Screen Saver"))
                SendInput(2, keys, sizeof(INPUT));
            return IsWindowVisible(dialog = FindWindowA(nullptr, "Kennwort eingeben"));
        },
        60000));
    // The bottom-right corner, clear of the dialog and the picture.
    const auto corner = [] {
        const ScreenShot shot;
        return shot.At(shot.Width() - 5, shot.Height() - 5);
    };
    ASSERT_EQ(corner(), RGB(0, 0, 0)) << "the load was given up for the key";
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitUntil([&] { return corner() == kGreen; }, 30000))
        << "the saver runs on over the user's picture";
    EXPECT_EQ(saver_->WaitForExit(0), STILL_ACTIVE);
}

TEST(PasswordChange, TheChangerIsCalledForTheSaverWithTheGivenOwnerOrElseTheForegroundWindow)
{
    auto change = [&](const std::string& arguments) {
        DeleteFileA(kLog.c_str());
        SaverProcess saver(Win98SaverPath(), arguments, {"TAVRIX_FIXTURE_LOG=" + kLog});
        EXPECT_EQ(saver.WaitForExit(), 0u) << arguments;
        return FileText(kLog);
    };
    // Hidden, so that the foreground window, which stands in for a bad handle, is another.
    HWND owner = CreateWindowA("STATIC", "Eigentümer", WS_OVERLAPPED, 0, 0, 100, 50, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    const std::string ownerText = std::to_string(reinterpret_cast<UINT_PTR>(owner));
    EXPECT_EQ(change("/a " + ownerText), "change provider=SCRSAVE owner=" + ownerText + " r1=0 r2=0\r\n");
    DestroyWindow(owner);
    const std::string line = change("-A:77");
    EXPECT_EQ(line.rfind("change provider=SCRSAVE owner=", 0), 0u) << line;
    EXPECT_EQ(line.find("owner=77 "), std::string::npos) << "a handle that is no window is not used";
}
