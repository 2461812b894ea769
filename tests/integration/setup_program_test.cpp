// The setup program and its uninstaller run as a Windows user runs them: silently (/S) and through their
// pages, on the NT family and as the Windows 98 family sees them; what they leave in the Windows folder,
// the registry and system.ini, and the saver they leave active.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "tavrix_version.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/saver_process.h"
#include "tests/support/settings_file.h"

namespace {

constexpr char kDesktopKey[] = "Control Panel\\Desktop";
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
    std::ifstream file(path, std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// One registry text value: whether it is there, and its text.
struct RegistryText {
    bool present = false;
    std::string text;
    bool operator==(const RegistryText& other) const { return present == other.present && text == other.text; }
};

RegistryText ReadText(HKEY root, const char* key, const char* name)
{
    RegistryText value;
    char text[1024] = {};
    DWORD size = sizeof(text) - 1;
    DWORD type = 0;
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return value;
    if (RegQueryValueExA(opened, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) == ERROR_SUCCESS &&
        type == REG_SZ) {
        value = {true, text};
    }
    RegCloseKey(opened);
    return value;
}

void WriteText(HKEY root, const char* key, const char* name, const RegistryText& value)
{
    HKEY opened = nullptr;
    if (RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_WRITE, nullptr, &opened, nullptr) != ERROR_SUCCESS) return;
    if (value.present) {
        RegSetValueExA(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.text.c_str()),
                       static_cast<DWORD>(value.text.size() + 1));
    } else {
        RegDeleteValueA(opened, name);
    }
    RegCloseKey(opened);
}

bool KeyExists(HKEY root, const char* key)
{
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    RegCloseKey(opened);
    return true;
}

RegistryText Present(const std::string& text) { return {true, text}; }

// [boot] SCRNSAVE.EXE of system.ini, where the 95/98 family keeps its saver.
RegistryText ReadBootSaver()
{
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, "system.ini");  // drop a cached copy
    char text[MAX_PATH] = {};
    GetPrivateProfileStringA("boot", "SCRNSAVE.EXE", "\x01", text, sizeof(text), "system.ini");
    if (lstrcmpA(text, "\x01") == 0) return {};
    return {true, text};
}

void WriteBootSaver(const RegistryText& value)
{
    WritePrivateProfileStringA("boot", "SCRNSAVE.EXE", value.present ? value.text.c_str() : nullptr, "system.ini");
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, "system.ini");
}

RegistryText DesktopSaver() { return ReadText(HKEY_CURRENT_USER, kDesktopKey, "SCRNSAVE.EXE"); }
RegistryText SaverActive() { return ReadText(HKEY_CURRENT_USER, kDesktopKey, "ScreenSaveActive"); }
RegistryText EntryValue(const char* name) { return ReadText(HKEY_LOCAL_MACHINE, kUninstallKey, name); }

// The setup program under another name that Wine shows the Windows 98 family.
std::string Win98SetupPath()
{
    std::string folder = BuildFolder() + "win98\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string path = folder + "tavrix98-setup.exe";
    CopyFileA(SetupPath().c_str(), path.c_str(), FALSE);
    WriteText(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\tavrix98-setup.exe", "Version", Present("win98"));
    return path;
}

bool Installed()
{
    return FileExists(InstalledSaver()) || FileExists(Uninstaller()) || KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey);
}

// The program and its arguments from a command line whose program is quoted, as the uninstall entry has it.
void SplitCommandLine(const std::string& commandLine, std::string& program, std::string& arguments)
{
    size_t end = commandLine.find('"', 1);
    program = commandLine.substr(1, end - 1);
    arguments = end + 2 <= commandLine.size() ? commandLine.substr(end + 2) : "";
}

// A shown dialog window of any process whose title starts so, and which has the child, if asked: the
// uninstaller's pages belong to a copy of it that it starts in a temporary folder, and the title of a
// wizard grows by the name of its page.
struct TopWindowSearch {
    std::string titleStart;
    int childId;  // 0: any
    HWND found;
};

BOOL CALLBACK MatchTopWindow(HWND window, LPARAM lParam)
{
    auto* search = reinterpret_cast<TopWindowSearch*>(lParam);
    char windowClass[16] = {};
    GetClassNameA(window, windowClass, sizeof(windowClass));
    if (lstrcmpA(windowClass, "#32770") != 0 || !IsWindowVisible(window)) return TRUE;
    if (dialog_driver::TextOf(window).compare(0, search->titleStart.size(), search->titleStart) != 0) return TRUE;
    if (search->childId != 0 && GetDlgItem(window, search->childId) == nullptr) return TRUE;
    search->found = window;
    return FALSE;
}

HWND WaitForTopWindow(const std::string& titleStart, int childId = 0, DWORD timeoutMs = kSetupDeadline)
{
    TopWindowSearch search = {titleStart, childId, nullptr};
    WaitUntil(
        [&] {
            EnumWindows(MatchTopWindow, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        timeoutMs);
    return search.found;
}

// A button anywhere inside a wizard window, found by the start of its text.
struct ButtonSearch {
    std::string textStart;
    HWND found;
};

BOOL CALLBACK MatchButton(HWND window, LPARAM lParam)
{
    auto* search = reinterpret_cast<ButtonSearch*>(lParam);
    char windowClass[16] = {};
    GetClassNameA(window, windowClass, sizeof(windowClass));
    if (lstrcmpA(windowClass, "Button") != 0 ||
        dialog_driver::TextOf(window).compare(0, search->textStart.size(), search->textStart) != 0) {
        return TRUE;
    }
    search->found = window;
    return FALSE;
}

HWND WaitForButton(HWND wizard, const std::string& textStart)
{
    ButtonSearch search = {textStart, nullptr};
    WaitUntil(
        [&] {
            EnumChildWindows(wizard, MatchButton, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr || !IsWindow(wizard);
        },
        kSetupDeadline);
    return search.found;
}

// Ends the process behind a window that a failed test left open, so that it does not wait for good.
struct EndsWindowProcess {
    HWND window = nullptr;
    ~EndsWindowProcess()
    {
        DWORD id = 0;
        if (!IsWindow(window) || !GetWindowThreadProcessId(window, &id)) return;
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
        if (!process) return;
        TerminateProcess(process, 0xDEAD);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }
};

// Sends key presses until the saver is gone: a press that arrives while the engine is busy is dropped.
DWORD DismissWithKeys(SaverProcess& saver, HWND window)
{
    WaitUntil(
        [&] {
            PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
            return saver.WaitForExit(100) != STILL_ACTIVE;
        },
        10000);
    return saver.WaitForExit(1000);
}

// A string value of a file's version resource, from the block its first translation names.
std::string VersionText(const std::string& path, const char* name, std::string* block = nullptr)
{
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    std::string data(size, '\0');
    if (size == 0 || !GetFileVersionInfoA(path.c_str(), 0, size, &data[0])) return "<no version resource>";
    WORD* translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(&data[0], "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) ||
        length < 4) {
        return "<no translation>";
    }
    char blockName[16];
    wsprintfA(blockName, "%04X%04X", translation[0], translation[1]);
    if (block) *block = blockName;
    char* text = nullptr;
    std::string query = std::string("\\StringFileInfo\\") + blockName + "\\" + name;
    if (!VerQueryValueA(&data[0], query.c_str(), reinterpret_cast<void**>(&text), &length)) return "<missing>";
    return text;
}

class SetupProgram : public testing::Test {
protected:
    void SetUp() override
    {
        desktopSaver_ = DesktopSaver();
        saverActive_ = SaverActive();
        bootSaver_ = ReadBootSaver();
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
        WriteText(HKEY_CURRENT_USER, kDesktopKey, "SCRNSAVE.EXE", desktopSaver_);
        WriteText(HKEY_CURRENT_USER, kDesktopKey, "ScreenSaveActive", saverActive_);
        WriteBootSaver(bootSaver_);
    }

    // The saver that was active before the setup ran, in the registry of the NT family.
    static void SetPreviousSaver(const char* path, const char* active)
    {
        WriteText(HKEY_CURRENT_USER, kDesktopKey, "SCRNSAVE.EXE", Present(path));
        WriteText(HKEY_CURRENT_USER, kDesktopKey, "ScreenSaveActive", Present(active));
    }

    static DWORD InstallQuietly(const std::string& setup = SetupPath())
    {
        SaverProcess process(setup, "/S");
        return process.WaitForExit(kSetupDeadline);
    }

    // Runs the uninstaller as the uninstall entry says; it hands its work to a copy of itself and ends, so
    // wait for the work: the saver, the uninstaller and the entry gone.
    static void UninstallQuietly()
    {
        std::string program, arguments;
        RegistryText quiet = EntryValue("QuietUninstallString");
        if (quiet.present) {
            SplitCommandLine(quiet.text, program, arguments);
        } else {
            program = Uninstaller();
            arguments = "/S";
        }
        SaverProcess process(program, arguments);
        process.WaitForExit(kSetupDeadline);
        EXPECT_TRUE(WaitUntil([] { return !Installed(); }, kSetupDeadline)) << "the uninstaller did not finish";
    }

    RegistryText desktopSaver_;
    RegistryText saverActive_;
    RegistryText bootSaver_;
};

}  // namespace

TEST_F(SetupProgram, ASilentSetupInstallsTheSaverMakesItActiveAndRegistersItsUninstaller)
{
    SetPreviousSaver(kPreviousSaver, "0");
    ASSERT_EQ(InstallQuietly(), 0u);

    ASSERT_TRUE(FileExists(InstalledSaver()));
    EXPECT_TRUE(Contents(InstalledSaver()) == Contents(SaverPath())) << "the installed saver is the built one";
    EXPECT_TRUE(FileExists(Uninstaller()));
    EXPECT_EQ(lstrcmpiA(DesktopSaver().text.c_str(), InstalledSaver().c_str()), 0) << DesktopSaver().text;
    EXPECT_EQ(SaverActive(), Present("1"));
    EXPECT_FALSE(ReadBootSaver().present) << "system.ini stays as it was on the NT family";

    EXPECT_EQ(EntryValue("DisplayName"), Present("Tavrix Bildschirmschoner"));
    EXPECT_EQ(EntryValue("DisplayVersion"), Present(TAVRIX_VERSION_TEXT));
    EXPECT_EQ(EntryValue("Publisher"), Present(TAVRIX_PUBLISHER));
    EXPECT_EQ(EntryValue("DisplayIcon"), Present(InstalledSaver() + ",0"));
    EXPECT_EQ(EntryValue("UninstallString"), Present("\"" + Uninstaller() + "\""));
    EXPECT_EQ(EntryValue("QuietUninstallString"), Present("\"" + Uninstaller() + "\" /S"));
}

TEST_F(SetupProgram, TheInstalledSaverRunsFromTheWindowsFolderAndClosesOnAKey)
{
    ASSERT_EQ(InstallQuietly(), 0u);
    settings_file::Write("ChangeTime", "3600");
    SaverProcess saver(InstalledSaver(), "/s");
    HWND window = WaitForSaverWindow(saver);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(DismissWithKeys(saver, window), 0u);
}

TEST_F(SetupProgram, ASilentUninstallRemovesItAllBringsBackThePreviousSaverAndKeepsTheSettings)
{
    SetPreviousSaver(kPreviousSaver, "0");
    ASSERT_EQ(InstallQuietly(), 0u);
    settings_file::Write("Pictures", "5");

    UninstallQuietly();
    EXPECT_FALSE(FileExists(InstalledSaver()));
    EXPECT_FALSE(FileExists(Uninstaller()));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_EQ(DesktopSaver(), Present(kPreviousSaver));
    EXPECT_EQ(SaverActive(), Present("0"));
    EXPECT_EQ(settings_file::Read("Pictures"), "5") << "a silent uninstall asks nothing and keeps the settings";
}

TEST_F(SetupProgram, WithoutAPreviousSaverTheUninstallLeavesNoneActive)
{
    WriteText(HKEY_CURRENT_USER, kDesktopKey, "SCRNSAVE.EXE", {});
    WriteText(HKEY_CURRENT_USER, kDesktopKey, "ScreenSaveActive", Present("0"));
    ASSERT_EQ(InstallQuietly(), 0u);
    ASSERT_TRUE(DesktopSaver().present);

    UninstallQuietly();
    EXPECT_FALSE(DesktopSaver().present);
    EXPECT_EQ(SaverActive(), Present("0"));
}

TEST_F(SetupProgram, ASecondSetupKeepsThePreviousSaverTheFirstRemembered)
{
    SetPreviousSaver(kPreviousSaver, "1");
    ASSERT_EQ(InstallQuietly(), 0u);
    ASSERT_EQ(InstallQuietly(), 0u);
    UninstallQuietly();
    EXPECT_EQ(DesktopSaver(), Present(kPreviousSaver));
}

TEST_F(SetupProgram, ASaverChosenAfterTheSetupStaysAfterTheUninstall)
{
    SetPreviousSaver(kPreviousSaver, "1");
    ASSERT_EQ(InstallQuietly(), 0u);
    SetPreviousSaver("C:\\windows\\system32\\spaeter.scr", "1");
    UninstallQuietly();
    EXPECT_EQ(DesktopSaver(), Present("C:\\windows\\system32\\spaeter.scr"));
}

TEST_F(SetupProgram, OnTheWindows98FamilyTheSaverGoesIntoSystemIniWithItsShortPath)
{
    const RegistryText registrySaver = Present(kPreviousSaver);
    SetPreviousSaver(kPreviousSaver, "0");
    WriteBootSaver(Present("C:\\WINDOWS\\SYSTEM\\VORHER.SCR"));
    ASSERT_EQ(InstallQuietly(Win98SetupPath()), 0u);

    ASSERT_TRUE(FileExists(InstalledSaver()));
    char shortPath[MAX_PATH] = {};
    ASSERT_NE(GetShortPathNameA(InstalledSaver().c_str(), shortPath, MAX_PATH), 0u);
    RegistryText bootSaver = ReadBootSaver();
    ASSERT_TRUE(bootSaver.present);
    EXPECT_EQ(lstrcmpiA(bootSaver.text.c_str(), shortPath), 0) << bootSaver.text << " is not " << shortPath;
    EXPECT_EQ(DesktopSaver(), registrySaver) << "the registry's saver is left alone";
    EXPECT_EQ(SaverActive(), Present("1"));

    UninstallQuietly();
    EXPECT_EQ(ReadBootSaver(), Present("C:\\WINDOWS\\SYSTEM\\VORHER.SCR"));
    EXPECT_EQ(DesktopSaver(), registrySaver);
    EXPECT_EQ(SaverActive(), Present("0"));
}

TEST_F(SetupProgram, TheLastPageOffersTheSettingsAndOpensThem)
{
    SaverProcess setup(SetupPath(), "");
    HWND wizard = WaitForTopWindow("Installation von Tavrix Bildschirmschoner", IDOK);
    ASSERT_NE(wizard, nullptr);
    dialog_driver::Press(wizard, IDOK);  // "Weiter" on the welcome page starts the installation

    HWND offer = WaitForButton(wizard, "Einstellungen des Bildschirmschoners");
    ASSERT_NE(offer, nullptr) << "the last page offers the settings";
    EXPECT_EQ(SendMessageA(offer, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(FileExists(InstalledSaver()));
    dialog_driver::Press(wizard, IDOK);  // "Fertig stellen"

    EndsWindowProcess settings{WaitForTopWindow("Bildschirmschoner Einstellungen")};
    ASSERT_NE(settings.window, nullptr) << "the installed saver shows its settings";
    DWORD owner = 0;
    GetWindowThreadProcessId(settings.window, &owner);
    EXPECT_NE(owner, setup.Id());
    EXPECT_EQ(setup.WaitForExit(kSetupDeadline), 0u);
    PostMessageA(settings.window, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(dialog_driver::WaitUntilGone(settings.window));
}

TEST_F(SetupProgram, TheUninstallerAsksBeforeItDeletesTheSettings)
{
    ASSERT_EQ(InstallQuietly(), 0u);
    settings_file::Write("Pictures", "5");
    std::string program, arguments;
    SplitCommandLine(EntryValue("UninstallString").text, program, arguments);
    SaverProcess uninstaller(program, arguments);

    EndsWindowProcess pages{WaitForTopWindow("Deinstallation von Tavrix Bildschirmschoner", IDOK)};
    HWND wizard = pages.window;
    ASSERT_NE(wizard, nullptr);
    dialog_driver::Press(wizard, IDOK);  // "Deinstallieren"
    HWND question = WaitForTopWindow("Deinstallation von Tavrix Bildschirmschoner", IDYES);
    ASSERT_NE(question, nullptr) << "the uninstaller asks about the settings";
    PostMessageA(question, WM_COMMAND, IDYES, 0);

    EXPECT_TRUE(WaitUntil([] { return !Installed() && !settings_file::Exists(); }, kSetupDeadline));
    WaitUntil(
        [&] {
            if (IsWindow(wizard)) dialog_driver::Press(wizard, IDOK);  // "Schließen", should the page wait
            return !IsWindow(wizard);
        },
        kSetupDeadline);
    EXPECT_FALSE(IsWindow(wizard));
}

TEST_F(SetupProgram, TheSaverAndTheSetupProgramCarryTheProjectVersion)
{
    std::string block;
    EXPECT_EQ(VersionText(SaverPath(), "FileVersion", &block), TAVRIX_VERSION_TEXT);
    EXPECT_EQ(block, "040704E4") << "German, Windows-1252";
    EXPECT_EQ(VersionText(SaverPath(), "ProductVersion"), TAVRIX_VERSION_TEXT);
    EXPECT_EQ(VersionText(SaverPath(), "FileDescription"), "Tavrix Bildschirmschoner");
    EXPECT_EQ(VersionText(SaverPath(), "ProductName"), "Tavrix Bildschirmschoner");
    EXPECT_EQ(VersionText(SaverPath(), "OriginalFilename"), "tavrixsaver.scr");
    EXPECT_EQ(VersionText(SaverPath(), "LegalCopyright"), TAVRIX_COPYRIGHT);
    EXPECT_EQ(VersionText(SetupPath(), "ProductVersion"), TAVRIX_VERSION_TEXT);
    EXPECT_EQ(VersionText(SetupPath(), "ProductName"), "Tavrix Bildschirmschoner");
}
