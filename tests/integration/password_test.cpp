// The Windows 95/98 family's password on close, the saver-running notice and the password change.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/saver_process.h"
#include "tests/support/screen.h"
#include "tests/support/settings_file.h"

namespace {

constexpr char kVerifierTitle[] = "Kennwort eingeben";

void SetPasswordInUse(DWORD value)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &key), ERROR_SUCCESS);
    RegSetValueExA(key, "ScreenSaveUsePassword", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    RegCloseKey(key);
}

std::vector<std::string> LinesOf(const std::string& path)
{
    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The saver-running notice as the system holds it for the whole session, read afresh: Wine keeps it
// in this volatile key (SystemParametersInfo would answer from this process's cache).
bool NoticeGiven()
{
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Wine\\Temporary System Parameters\\Control Panel\\Desktop", &key) !=
        ERROR_SUCCESS)
        return false;
    char value[8] = {};
    DWORD bytes = sizeof value;
    const LONG read = RegQueryValueExA(key, "WINE_ScreenSaverRunning", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &bytes);
    RegCloseKey(key);
    return read == ERROR_SUCCESS && value[0] == '1';
}

int CountStartingWith(const std::vector<std::string>& lines, const std::string& prefix)
{
    int count = 0;
    for (const std::string& line : lines) count += line.rfind(prefix, 0) == 0;
    return count;
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
        5000);
}

class Password : public testing::Test {
protected:
    void SetUp() override
    {
        settings_file::Remove();
        settings_file::Write("ChangeTime", "3600");
        log_ = BuildFolder() + "fixture.log";
        DeleteFileA(log_.c_str());
        SetPasswordInUse(1);
    }
    void TearDown() override
    {
        SetPasswordInUse(0);
        BOOL previous = FALSE;
        SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, FALSE, &previous, 0);  // for the tests after
    }

    // Starts a saver copy that Wine shows the 98 family, with the stand-in DLLs beside it.
    void Start(const char* verifierOrder, const std::string& program = Win98SaverPath())
    {
        saver_ = std::make_unique<SaverProcess>(
            program, "/s",
            std::vector<std::string>{"TAVRIX_FIXTURE_LOG=" + log_, std::string("TAVRIX_VERIFY=") + verifierOrder});
        window_ = WaitForSaverWindow(*saver_);
        ASSERT_NE(window_, nullptr);
        Sleep(600);  // past the first picture change, while the engine holds closes off
    }

    void PressKey() { PostMessageA(window_, WM_KEYDOWN, 'K', 0); }

    bool WaitForVerifications(int count)
    {
        return WaitUntil([&] { return CountStartingWith(LinesOf(log_), "verify") >= count; }, 5000);
    }

    std::vector<std::string> Log() const { return LinesOf(log_); }

    std::string log_;
    std::unique_ptr<SaverProcess> saver_;
    HWND window_ = nullptr;
};

}  // namespace

TEST_F(Password, AnAcceptedPasswordClosesTheSaverAndWithdrawsTheNotice)
{
    Start("accept");
    PressKey();
    EXPECT_EQ(saver_->WaitForExit(), 0u);
    std::vector<std::string> log = Log();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log.front(), "attach");
    EXPECT_EQ(log[1], "verify class=WindowsScreenSaverClass running=1") << "the notice is given while armed";
    EXPECT_EQ(log.back().rfind("detach", 0), 0u) << "the verifier is unloaded at the end";
}

TEST_F(Password, ARefusedPasswordLeavesTheSaverRunningAndTheNextKeyAsksAgain)
{
    Start("refuse");
    PressKey();
    ASSERT_TRUE(WaitForVerifications(1));
    ASSERT_TRUE(WaitUntil([] { return FindWindowA(nullptr, kVerifierTitle) == nullptr; }, 3000));
    Sleep(400);
    EXPECT_TRUE(saver_->Running());
    PressKey();
    EXPECT_TRUE(WaitForVerifications(2));
    EXPECT_TRUE(saver_->Running());
}

TEST_F(Password, InputRightAfterARefusalIsIgnored)
{
    Start("refuse-then-key");  // the stand-in presses a key as its dialog ends
    PressKey();
    ASSERT_TRUE(WaitForVerifications(1));
    Sleep(600);
    EXPECT_EQ(CountStartingWith(Log(), "verify"), 1) << "the key within 200 ms asked nothing";
    EXPECT_TRUE(saver_->Running());
    PressKey();
    EXPECT_TRUE(WaitForVerifications(2));
}

TEST_F(Password, InputWhileTheDialogIsUpMakesNoSecondRequest)
{
    Start("ask");
    PressKey();
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (dialog = FindWindowA(nullptr, kVerifierTitle)) != nullptr; }, 5000));
    EXPECT_TRUE(PicturesMoveBeside(dialog));
    PressKey();
    PostMessageA(window_, WM_LBUTTONDOWN, 0, 0);
    PostMessageA(window_, WM_CLOSE, 0, 0);
    Sleep(400);
    EXPECT_EQ(CountStartingWith(Log(), "verify"), 1);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([] { return FindWindowA(nullptr, kVerifierTitle) == nullptr; }, 3000));
    Sleep(400);
    EXPECT_TRUE(saver_->Running());
    PressKey();
    ASSERT_TRUE(WaitUntil([&] { return (dialog = FindWindowA(nullptr, kVerifierTitle)) != nullptr; }, 5000));
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(saver_->WaitForExit(), 0u);
}

TEST_F(Password, AVerifierThatWaitsForTimeToPassGetsItsTurnAndItsYesCloses)
{
    Start("clock");
    PressKey();
    EXPECT_EQ(saver_->WaitForExit(), 0u);
    EXPECT_EQ(CountStartingWith(Log(), "answered"), 1);
}

TEST_F(Password, AVerifierDialogMadeHiddenAppearsAndThePicturesMoveBehindIt)
{
    Start("ask-hidden");
    PressKey();
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (dialog = FindWindowA(nullptr, kVerifierTitle)) != nullptr && IsWindowVisible(dialog); },
                          10000))
        << "the dialog manager shows the dialog once the saver's thread is idle";
    EXPECT_TRUE(PicturesMoveBeside(dialog));
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(saver_->WaitForExit(), 0u);
}

TEST_F(Password, WithoutAPasswordTheVerifierIsNeverLoaded)
{
    SetPasswordInUse(0);
    Start("refuse");
    PressKey();
    EXPECT_EQ(saver_->WaitForExit(), 0u);
    EXPECT_TRUE(Log().empty());
}

TEST_F(Password, TheNtFamilyNeverLoadsTheVerifier)
{
    Win98SaverPath();  // the stand-in verifier now lies beside the NT copy too
    std::string program = BuildFolder() + "win98\\tavrixnt.scr";
    CopyFileA(SaverPath().c_str(), program.c_str(), FALSE);
    Start("refuse", program);
    PressKey();
    EXPECT_EQ(saver_->WaitForExit(), 0u);
    EXPECT_TRUE(Log().empty());
}

TEST_F(Password, AFaultInsideTheVerifierDoesNotLeaveTheNoticeSet)
{
    Start("fault");
    EXPECT_TRUE(NoticeGiven());
    PressKey();
    EXPECT_EQ(saver_->WaitForExit(), static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
    EXPECT_FALSE(NoticeGiven());
    std::vector<std::string> log = Log();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "detach running=0") << "withdrawn before the verifier goes";
}

TEST_F(Password, AMissingPictureEndsTheRunWithOneAndWithdrawsTheNotice)
{
    settings_file::Write("Style", "2");  // a style without pictures
    Start("accept");
    HWND box = saver_->WaitForWindow("#32770", "Error");
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(NoticeGiven()) << "while the saver runs, the system knows";
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(saver_->WaitForExit(), 1u);
    EXPECT_FALSE(NoticeGiven()) << "and it is told when the run ends early";
    EXPECT_EQ(Log().back(), "detach running=0");
}

TEST(PasswordChange, TheChangerIsCalledForTheSaverWithTheGivenOwner)
{
    std::string log = BuildFolder() + "fixture.log";
    DeleteFileA(log.c_str());
    HWND owner = CreateWindowA("STATIC", "Eigentümer", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 100, 50, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    std::string ownerText = std::to_string(reinterpret_cast<UINT_PTR>(owner));
    SaverProcess saver(Win98SaverPath(), "/a " + ownerText,
                       {"TAVRIX_FIXTURE_LOG=" + log});
    EXPECT_EQ(saver.WaitForExit(), 0u);
    std::vector<std::string> lines = LinesOf(log);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "change provider=SCRSAVE owner=" + ownerText + " r1=0 r2=0");
    DestroyWindow(owner);
}

TEST(PasswordChange, WithoutAUsableHandleTheForegroundWindowOwnsTheChange)
{
    std::string log = BuildFolder() + "fixture.log";
    DeleteFileA(log.c_str());
    SaverProcess saver(Win98SaverPath(), "-A:77", {"TAVRIX_FIXTURE_LOG=" + log});
    EXPECT_EQ(saver.WaitForExit(), 0u);
    std::vector<std::string> lines = LinesOf(log);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("change provider=SCRSAVE owner=", 0), 0u);
    EXPECT_EQ(lines[0].find("owner=77 "), std::string::npos);
}
