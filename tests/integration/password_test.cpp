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

// The stand-in DLLs' log: one line a call, each ended by CRLF.
std::string LogText(const std::string& path)
{
    std::stringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

// The saver-running notice as the system holds it for the whole session, read afresh: Wine keeps it
// in this volatile key (SystemParametersInfo would answer from this process's cache).
bool NoticeGiven()
{
    char value[8] = {};
    DWORD bytes = sizeof(value);
    return RegGetValueA(HKEY_CURRENT_USER, "Software\\Wine\\Temporary System Parameters\\Control Panel\\Desktop",
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
        ASSERT_TRUE(WaitForAPictureOnTheScreen()) << "the saver's start, which holds closes off, is over";
    }

    void PressKey() { PostMessageA(window_, WM_KEYDOWN, 'K', 0); }
    std::string Log() const { return LogText(log_); }

    int Verifications() const
    {
        const std::string log = Log();
        int count = 0;
        for (size_t at = 0; (at = log.find("verify ", at)) != std::string::npos; ++at) ++count;
        return count;
    }

    // The stand-in's dialog if it shows; the dialog manager shows it when the saver's thread is idle.
    static HWND VisibleVerifierDialog()
    {
        const HWND dialog = FindWindowA(nullptr, kVerifierTitle);
        return dialog && IsWindowVisible(dialog) ? dialog : nullptr;
    }

    // A key goes unanswered while the saver counts it to the quiet time after an answer, and a
    // busy saver may count a little longer than this test: keys until the dialog shows.
    HWND PressUntilTheVerifierShows() const
    {
        HWND dialog = nullptr;
        WaitUntil(
            [&] {
                PostMessageA(window_, WM_KEYDOWN, 'K', 0);
                return WaitUntil([&] { return (dialog = VisibleVerifierDialog()) != nullptr; }, 1000);
            },
            30000);
        return dialog;
    }

    std::string log_;
    std::unique_ptr<SaverProcess> saver_;
    HWND window_ = nullptr;
};

}  // namespace

TEST_F(Password, TheVerifierAsksOnceWhileThePicturesMoveACancelKeepsTheSaverAndOkClosesItAndWithdrawsTheNotice)
{
    ASSERT_NO_FATAL_FAILURE(Start("ask"));
    EXPECT_TRUE(NoticeGiven()) << "while the saver runs, the system knows";
    HWND dialog = PressUntilTheVerifierShows();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(PicturesMoveBeside(dialog));
    PressKey();
    PostMessageA(window_, WM_LBUTTONDOWN, 0, 0);
    PostMessageA(window_, WM_CLOSE, 0, 0);
    Sleep(400);
    EXPECT_EQ(Verifications(), 1) << "input while the dialog is up asks nothing more";
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([] { return FindWindowA(nullptr, kVerifierTitle) == nullptr; }, 5000));
    Sleep(400);
    EXPECT_TRUE(saver_->Running()) << "a refused password leaves the saver running";

    ASSERT_NE(dialog = PressUntilTheVerifierShows(), nullptr) << "the next key asks again";
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(saver_->WaitForExit(), 0u);
    EXPECT_FALSE(NoticeGiven()) << "and it is told when the run ends";
    const std::string verify = "verify class=WindowsScreenSaverClass running=1\r\n";  // the notice is given while armed
    EXPECT_EQ(Log(), "attach\r\n" + verify + verify + "detach running=0\r\n")
        << "the notice is withdrawn before the verifier is unloaded";
}

TEST_F(Password, InputWithin200MillisecondsOfARefusalIsIgnoredAndTheNextKeyAsksAgain)
{
    ASSERT_NO_FATAL_FAILURE(Start("refuse-then-key"));  // the stand-in presses a key as it refuses
    PressKey();
    ASSERT_TRUE(WaitUntil([&] { return Verifications() >= 1; }, 30000));
    Sleep(600);
    EXPECT_EQ(Verifications(), 1) << "the key within 200 ms asked nothing";
    EXPECT_TRUE(saver_->Running());
    // A key that a busy saver still counts to the quiet time is ignored too: press until one asks.
    EXPECT_TRUE(WaitUntil([&] { return PressKey(), Sleep(250), Verifications() >= 2; }, 30000));
}

TEST_F(Password, AFaultInsideTheVerifierEndsTheRunWithItsCodeAndDoesNotLeaveTheNoticeSet)
{
    ASSERT_NO_FATAL_FAILURE(Start("fault"));
    EXPECT_TRUE(NoticeGiven());
    PressKey();
    EXPECT_EQ(saver_->WaitForExit(), static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
    EXPECT_FALSE(NoticeGiven());
    const std::string log = Log();
    EXPECT_EQ(log.substr(log.rfind('\n', log.size() - 2) + 1), "detach running=0\r\n")
        << "withdrawn before the verifier goes";
}

TEST_F(Password, WithoutAPasswordOrOnTheNtFamilyTheVerifierIsNeverLoaded)
{
    const std::string win98 = Win98SaverPath();  // the stand-in verifier now lies beside the NT copy too
    const std::string nt = BuildFolder() + "win98\\tavrixnt.scr";
    CopyFileA(SaverPath().c_str(), nt.c_str(), FALSE);
    const struct { const char* what; std::string program; DWORD passwordInUse; } cases[] = {
        {"no password on the 98 family", win98, 0}, {"a password on the NT family", nt, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetPasswordInUse(c.passwordInUse);
        ASSERT_NO_FATAL_FAILURE(Start("refuse", c.program));
        PressKey();
        EXPECT_EQ(saver_->WaitForExit(), 0u);
        EXPECT_TRUE(Log().empty());
    }
}

TEST(PasswordChange, TheChangerIsCalledForTheSaverWithTheGivenOwnerOrElseTheForegroundWindow)
{
    const std::string log = BuildFolder() + "fixture.log";
    auto change = [&](const std::string& arguments) {
        DeleteFileA(log.c_str());
        SaverProcess saver(Win98SaverPath(), arguments, {"TAVRIX_FIXTURE_LOG=" + log});
        EXPECT_EQ(saver.WaitForExit(), 0u) << arguments;
        return LogText(log);
    };
    HWND owner = CreateWindowA("STATIC", "Eigentümer", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 100, 50, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    const std::string ownerText = std::to_string(reinterpret_cast<UINT_PTR>(owner));
    EXPECT_EQ(change("/a " + ownerText), "change provider=SCRSAVE owner=" + ownerText + " r1=0 r2=0\r\n");
    DestroyWindow(owner);
    const std::string line = change("-A:77");
    EXPECT_EQ(line.rfind("change provider=SCRSAVE owner=", 0), 0u) << line;
    EXPECT_EQ(line.find("owner=77 "), std::string::npos) << "a handle that is no window is not used";
}
