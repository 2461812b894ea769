// The setup program and its uninstaller run as a Windows user runs them: silently (/S) and through their
// pages, on the NT family and as the Windows 98 family sees them; what they leave in the Windows folder,
// the registry and system.ini, and the saver they leave active.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>

#include "tavrix_version.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/saver_process.h"
#include "tests/support/settings_file.h"

namespace {

using Text = std::optional<std::string>;  // a text value of the registry or system.ini; none when absent

constexpr char kDesktopKey[] = "Control Panel\\Desktop";
// The name under which Windows keeps the active saver, in system.ini [boot] and in kDesktopKey.
constexpr char kActiveSaver[] = "SCRNSAVE.EXE";
constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TavrixBildschirmschoner";
constexpr char kPreviousSaver[] = "C:\\windows\\system32\\vorher.scr";
constexpr DWORD kSetupDeadline = 60000;  // a busy machine may take long to unpack and write

std::string WindowsFolder()
{
    char folder[MAX_PATH];
    UINT length = GetWindowsDirectoryA(folder, MAX_PATH);
    return std::string(folder, length) + "\\";
}

std::string InstalledSaver() { return WindowsFolder() + "tavrixsaver.scr"; }
std::string Uninstaller() { return WindowsFolder() + "tavrixsaver-uninstall.exe"; }
std::string SetupPath() { return BuildFolder() + "tavrixsaver-setup.exe"; }
bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string Contents(const std::string& path)
{
    std::stringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

Text ReadText(HKEY root, const char* key, const char* name)
{
    char text[1024] = {};
    DWORD size = sizeof(text);
    if (RegGetValueA(root, key, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) return {};
    return text;
}

void WriteText(HKEY root, const char* key, const char* name, const Text& value)
{
    HKEY opened = nullptr;
    if (RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_WRITE, nullptr, &opened, nullptr) != ERROR_SUCCESS) return;
    if (value)
        RegSetValueExA(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value->c_str()),
                       static_cast<DWORD>(value->size() + 1));
    else
        RegDeleteValueA(opened, name);
    RegCloseKey(opened);
}

bool KeyExists(HKEY root, const char* key)
{
    HKEY opened = nullptr;
    const bool exists = RegOpenKeyExA(root, key, 0, KEY_READ, &opened) == ERROR_SUCCESS;
    if (exists) RegCloseKey(opened);
    return exists;
}

// The active saver in system.ini [boot], where the 95/98 family keeps it.
Text ReadBootSaver()
{
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, "system.ini");  // drop a cached copy
    char text[MAX_PATH] = {};
    GetPrivateProfileStringA("boot", kActiveSaver, "\x01", text, sizeof(text), "system.ini");
    return lstrcmpA(text, "\x01") != 0 ? Text(text) : std::nullopt;
}

void WriteBootSaver(const Text& value)
{
    WritePrivateProfileStringA("boot", kActiveSaver, value ? value->c_str() : nullptr, "system.ini");
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, "system.ini");
}

Text DesktopSaver() { return ReadText(HKEY_CURRENT_USER, kDesktopKey, kActiveSaver); }
Text SaverActive() { return ReadText(HKEY_CURRENT_USER, kDesktopKey, "ScreenSaveActive"); }
Text EntryValue(const char* name) { return ReadText(HKEY_LOCAL_MACHINE, kUninstallKey, name); }

// The saver that is active before the setup runs, in the registry of the NT family.
void SetDesktopSaver(const Text& path, const Text& active)
{
    WriteText(HKEY_CURRENT_USER, kDesktopKey, kActiveSaver, path);
    WriteText(HKEY_CURRENT_USER, kDesktopKey, "ScreenSaveActive", active);
}

bool Installed()
{
    return FileExists(InstalledSaver()) || FileExists(Uninstaller()) || KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey);
}

DWORD InstallQuietly(const std::string& setup = SetupPath())
{
    SaverProcess process(setup, "/S");
    return process.WaitForExit(kSetupDeadline);
}

// The uninstaller hands its work to a copy of itself and ends: wait for the work, everything gone.
void UninstallQuietly()
{
    SaverProcess process(Uninstaller(), "/S");
    process.WaitForExit(kSetupDeadline);
    EXPECT_TRUE(WaitUntil([] { return !Installed(); }, kSetupDeadline)) << "the uninstaller did not finish";
}

// The first window that `wanted` accepts among the children of `parent` (top-level windows when
// null), once there: the uninstaller's pages belong to a copy of it in a temporary folder.
HWND WaitForWindow(HWND parent, const std::function<bool(HWND)>& wanted)
{
    HWND found = nullptr;
    std::function<BOOL(HWND)> look = [&](HWND window) { return wanted(window) ? (found = window, FALSE) : TRUE; };
    WNDENUMPROC visit = [](HWND window, LPARAM look) {
        return (*reinterpret_cast<std::function<BOOL(HWND)>*>(look))(window);
    };
    WaitUntil(
        [&] {
            if (parent) EnumChildWindows(parent, visit, reinterpret_cast<LPARAM>(&look));
            else EnumWindows(visit, reinterpret_cast<LPARAM>(&look));
            return found != nullptr || (parent && !IsWindow(parent));
        },
        kSetupDeadline);
    return found;
}

bool IsA(HWND window, const char* windowClass, const std::string& textStart)
{
    char name[16] = {};
    GetClassNameA(window, name, sizeof(name));
    return lstrcmpA(name, windowClass) == 0 && dialog_driver::TextOf(window).rfind(textStart, 0) == 0;
}

// A shown dialog whose title starts so (a wizard's grows by its page's name), with the child.
HWND WaitForDialog(const std::string& titleStart, int childId)
{
    return WaitForWindow(nullptr, [&](HWND window) {
        return IsA(window, "#32770", titleStart) && IsWindowVisible(window) && GetDlgItem(window, childId);
    });
}

// Ends the process behind a window that a failed test left open, so that it does not wait for good.
struct EndsWindowProcess {
    HWND window = nullptr;
    ~EndsWindowProcess()
    {
        DWORD id = 0;
        HANDLE process = nullptr;
        if (!IsWindow(window) || !GetWindowThreadProcessId(window, &id)) return;
        if (!(process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id))) return;
        TerminateProcess(process, 0xDEAD);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }
};

class SetupProgram : public testing::Test {
protected:
    void SetUp() override
    {
        settings_file::Remove();
        if (Installed()) UninstallQuietly();
        ASSERT_FALSE(Installed()) << "a saver of an earlier run is still installed";
    }

    void TearDown() override
    {
        if (Installed()) UninstallQuietly();
        DeleteFileA(InstalledSaver().c_str());
        DeleteFileA(Uninstaller().c_str());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
        settings_file::Remove();
        SetDesktopSaver(desktopSaver_, saverActive_);
        WriteBootSaver(bootSaver_);
    }

    const Text desktopSaver_ = DesktopSaver();
    const Text saverActive_ = SaverActive();
    const Text bootSaver_ = ReadBootSaver();
};

}  // namespace

TEST_F(SetupProgram, SilentlyItInstallsAndActivatesTheSaverAndItsUninstallBringsBackTheOneBeforeAndKeepsTheSettings)
{
    SetDesktopSaver(kPreviousSaver, "0");
    ASSERT_EQ(InstallQuietly(), 0u);
    ASSERT_EQ(InstallQuietly(), 0u) << "a second setup keeps the saver the first one remembered";

    ASSERT_TRUE(FileExists(InstalledSaver()));
    EXPECT_TRUE(Contents(InstalledSaver()) == Contents(SaverPath())) << "the installed saver is the built one";
    EXPECT_TRUE(FileExists(Uninstaller()));
    EXPECT_EQ(lstrcmpiA(DesktopSaver().value_or("").c_str(), InstalledSaver().c_str()), 0)
        << DesktopSaver().value_or("none");
    EXPECT_EQ(SaverActive(), "1");
    EXPECT_EQ(ReadBootSaver(), std::nullopt) << "system.ini stays as it was on the NT family";
    const struct { const char* name; std::string value; } entry[] = {
        {"DisplayName", "Tavrix Bildschirmschoner"},
        {"DisplayVersion", TAVRIX_VERSION_TEXT},
        {"Publisher", TAVRIX_PUBLISHER},
        {"DisplayIcon", InstalledSaver() + ",0"},
        {"UninstallString", "\"" + Uninstaller() + "\""},
        {"QuietUninstallString", "\"" + Uninstaller() + "\" /S"},
    };
    for (const auto& value : entry) EXPECT_EQ(EntryValue(value.name), value.value) << value.name;

    settings_file::Write("Pictures", "5");
    UninstallQuietly();
    EXPECT_EQ(DesktopSaver(), kPreviousSaver);
    EXPECT_EQ(SaverActive(), "0");
    EXPECT_EQ(settings_file::Read("Pictures"), "5") << "a silent uninstall asks nothing and keeps the settings";
}

TEST_F(SetupProgram, TheUninstallLeavesNoSaverWhenThereWasNoneAndASaverChosenAfterTheSetup)
{
    const Text later = "C:\\windows\\system32\\spaeter.scr";
    const struct { const char* what; Text before, chosenAfterTheSetup; } cases[] = {
        {"no saver before", std::nullopt, std::nullopt},
        {"a saver chosen after the setup", kPreviousSaver, later},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetDesktopSaver(c.before, "1");
        ASSERT_EQ(InstallQuietly(), 0u);
        if (c.chosenAfterTheSetup) SetDesktopSaver(c.chosenAfterTheSetup, "1");
        UninstallQuietly();
        EXPECT_EQ(DesktopSaver(), c.chosenAfterTheSetup);
    }
}

TEST_F(SetupProgram, OnTheWindows98FamilyTheSaverGoesIntoSystemIniWithItsShortPath)
{
    std::string folder = BuildFolder() + "win98\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string setup = folder + "tavrix98-setup.exe";  // a name that Wine shows the 98 family
    CopyFileA(SetupPath().c_str(), setup.c_str(), FALSE);
    WriteText(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\tavrix98-setup.exe", "Version", "win98");
    SetDesktopSaver(kPreviousSaver, "0");
    WriteBootSaver("C:\\WINDOWS\\SYSTEM\\VORHER.SCR");
    ASSERT_EQ(InstallQuietly(setup), 0u);

    char shortPath[MAX_PATH] = {};
    ASSERT_NE(GetShortPathNameA(InstalledSaver().c_str(), shortPath, MAX_PATH), 0u);
    EXPECT_EQ(lstrcmpiA(ReadBootSaver().value_or("").c_str(), shortPath), 0) << ReadBootSaver().value_or("none");
    EXPECT_EQ(DesktopSaver(), kPreviousSaver) << "the registry's saver is left alone";
    EXPECT_EQ(SaverActive(), "1");

    UninstallQuietly();
    EXPECT_EQ(ReadBootSaver(), "C:\\WINDOWS\\SYSTEM\\VORHER.SCR");
    EXPECT_EQ(DesktopSaver(), kPreviousSaver);
    EXPECT_EQ(SaverActive(), "0");
}

TEST_F(SetupProgram, ItsPagesOfferAndOpenTheSettingsAndTheUninstallersPagesAskBeforeTheyDeleteThem)
{
    SaverProcess setup(SetupPath(), "");
    HWND wizard = WaitForDialog("Installation von Tavrix Bildschirmschoner", IDOK);
    ASSERT_NE(wizard, nullptr);
    dialog_driver::Press(wizard, IDOK);  // "Weiter" on the welcome page starts the installation
    HWND offer = WaitForWindow(
        wizard, [](HWND window) { return IsA(window, "Button", "Einstellungen des Bildschirmschoners"); });
    ASSERT_NE(offer, nullptr) << "the last page offers the settings";
    EXPECT_EQ(SendMessageA(offer, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(FileExists(InstalledSaver()));
    dialog_driver::Press(wizard, IDOK);  // "Fertig stellen"
    {
        EndsWindowProcess settings{WaitForDialog("Bildschirmschoner Einstellungen", IDOK)};
        ASSERT_NE(settings.window, nullptr) << "the installed saver shows its settings";
        DWORD owner = 0;
        GetWindowThreadProcessId(settings.window, &owner);
        EXPECT_NE(owner, setup.Id());
        EXPECT_EQ(setup.WaitForExit(kSetupDeadline), 0u);
        PostMessageA(settings.window, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(dialog_driver::WaitUntilGone(settings.window));
    }

    settings_file::Write("Pictures", "5");
    SaverProcess uninstaller(Uninstaller(), "");
    EndsWindowProcess pages{WaitForDialog("Deinstallation von Tavrix Bildschirmschoner", IDOK)};
    ASSERT_NE(pages.window, nullptr);
    dialog_driver::Press(pages.window, IDOK);  // "Deinstallieren"
    HWND question = WaitForDialog("Deinstallation von Tavrix Bildschirmschoner", IDYES);
    ASSERT_NE(question, nullptr) << "the uninstaller asks about the settings";
    PostMessageA(question, WM_COMMAND, IDYES, 0);
    EXPECT_TRUE(WaitUntil([] { return !Installed() && !settings_file::Exists(); }, kSetupDeadline));
    EXPECT_TRUE(WaitUntil(
        [&] {
            if (IsWindow(pages.window)) dialog_driver::Press(pages.window, IDOK);  // "Schließen", should the page wait
            return !IsWindow(pages.window);
        },
        kSetupDeadline));
}
