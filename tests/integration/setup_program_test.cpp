// The setup program and its uninstaller run silently (/S) as a Windows user runs them: what they leave in
// the Windows folder, the registry and system.ini, and the saver they leave active.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tavrix_version.h"
#include "tests/support/folders.h"
#include "tests/support/saver_process.h"
#include "tests/support/settings_file.h"
#include "tests/support/user_registry.h"
#include "tests/support/waiting.h"
#include "win32/handles.h"

namespace {

using Text = std::optional<std::string>;  // a text value of the registry; none when absent

// The name under which Windows keeps the active saver, in system.ini [boot] and in kDesktopKey.
constexpr char kActiveSaver[] = "SCRNSAVE.EXE";
constexpr char kDesktopKey[] = "Control Panel\\Desktop";
constexpr char kUninstallKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TavrixBildschirmschoner";
constexpr DWORD kSetupDeadline = 60000;  // a busy machine may take long to unpack and write

const std::string kInstalledSaver = InWindowsFolder("tavrixsaver.scr");
const std::string kUninstaller = InWindowsFolder("tavrixsaver-uninstall.exe");

Text ReadText(HKEY root, const char* key, const char* name)
{
    char text[1024] = {};
    DWORD size = sizeof(text);
    if (RegGetValueA(root, key, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) return {};
    return text;
}

// The active saver, as the NT family keeps it.
void WriteDesktop(const char* name, const Text& value)
{
    WriteUserRegistry(kDesktopKey, name, value ? value->c_str() : nullptr);
}
Text Desktop(const char* name)
{
    return ReadText(HKEY_CURRENT_USER, kDesktopKey, name);
}

// The active saver in system.ini [boot], where the 95/98 family keeps it.
Text BootSaver()
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

bool Installed()
{
    HKEY entry = nullptr;
    const bool listed =
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, &entry) == ERROR_SUCCESS;
    if (listed) RegCloseKey(entry);
    return listed || GetFileAttributesA(kInstalledSaver.c_str()) != INVALID_FILE_ATTRIBUTES ||
           GetFileAttributesA(kUninstaller.c_str()) != INVALID_FILE_ATTRIBUTES;
}

DWORD RunQuietly(const std::string& program)
{
    SaverProcess process(program, "/S");
    return process.WaitForExit(kSetupDeadline);
}

// The uninstaller hands its work to a copy of itself and ends: wait for the work, everything gone.
bool UninstallQuietly()
{
    RunQuietly(kUninstaller);
    return WaitUntil([] { return !Installed(); }, kSetupDeadline);
}

}  // namespace

TEST(SetupProgram,
     SilentlyItInstallsAndActivatesTheSaverAndItsUninstallBringsBackTheOneBeforeAndKeepsTheSettings)
{
    settings_file::Remove();
    if (Installed()) UninstallQuietly();
    ASSERT_FALSE(Installed()) << "a saver of an earlier run is still installed";
    const Text saverBefore = Desktop(kActiveSaver), activeBefore = Desktop("ScreenSaveActive");
    ScopeExit restore([&] {
        if (Installed()) UninstallQuietly();
        settings_file::Remove();
        WriteDesktop(kActiveSaver, saverBefore);
        WriteDesktop("ScreenSaveActive", activeBefore);
    });
    const char kPreviousSaver[] = "C:\\windows\\system32\\vorher.scr";
    WriteDesktop(kActiveSaver, kPreviousSaver);
    WriteDesktop("ScreenSaveActive", "0");
    const std::string setup = BuildFolder() + "tavrixsaver-setup.exe";
    ASSERT_EQ(RunQuietly(setup), 0u);
    ASSERT_EQ(RunQuietly(setup), 0u) << "a second setup keeps the saver the first one remembered";

    EXPECT_TRUE(FileText(kInstalledSaver) == FileText(SaverPath()))
        << "the installed saver is the built one";
    EXPECT_EQ(lstrcmpiA(Desktop(kActiveSaver).value_or("").c_str(), kInstalledSaver.c_str()), 0);
    EXPECT_EQ(Desktop("ScreenSaveActive"), "1");
    const std::pair<const char*, std::string> entry[] = {
        {"DisplayName", "Tavrix Bildschirmschoner"},
        {"DisplayVersion", TAVRIX_VERSION_TEXT},
        {"Publisher", TAVRIX_PUBLISHER},
        {"QuietUninstallString", "\"" + kUninstaller + "\" /S"},
    };
    for (const auto& [name, value] : entry)
        EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kUninstallKey, name), value) << name;

    settings_file::Write("Pictures", "5");
    EXPECT_TRUE(UninstallQuietly()) << "the uninstaller did not finish";
    EXPECT_EQ(Desktop(kActiveSaver), kPreviousSaver);
    EXPECT_EQ(Desktop("ScreenSaveActive"), "0");
    EXPECT_EQ(settings_file::Read("Pictures"), "5")
        << "a silent uninstall asks nothing and keeps the settings";
}

TEST(SetupProgram,
     OnTheWindows98FamilyTheSaverGoesIntoSystemIniWithItsShortPathAndTheUninstallPutsTheOneBeforeBack)
{
    if (Installed()) UninstallQuietly();
    ASSERT_FALSE(Installed()) << "a saver of an earlier run is still installed";
    const Text bootBefore = BootSaver(), saverBefore = Desktop(kActiveSaver);
    ScopeExit restore([&] {
        if (Installed()) UninstallQuietly();
        WriteBootSaver(bootBefore);
        WriteDesktop(kActiveSaver, saverBefore);
    });
    const std::string folder = ScratchFolder() + "win98\\", setup = folder + "tavrix98-setup.exe";
    CreateDirectoryA(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA((BuildFolder() + "tavrixsaver-setup.exe").c_str(), setup.c_str(), FALSE));
    WriteUserRegistry("Software\\Wine\\AppDefaults\\tavrix98-setup.exe", "Version",
                      "win98");  // Wine shows it Windows 98
    const char kPreviousSaver[] = "C:\\WINDOWS\\SYSTEM\\VORHER.SCR";
    WriteBootSaver(kPreviousSaver);
    WriteDesktop(kActiveSaver, "C:\\windows\\system32\\nt.scr");
    ASSERT_EQ(RunQuietly(setup), 0u);

    char shortPath[MAX_PATH] = {};
    ASSERT_NE(GetShortPathNameA(kInstalledSaver.c_str(), shortPath, MAX_PATH), 0u);
    EXPECT_EQ(lstrcmpiA(BootSaver().value_or("").c_str(), shortPath), 0) << BootSaver().value_or("none");
    EXPECT_EQ(Desktop(kActiveSaver), "C:\\windows\\system32\\nt.scr")
        << "the NT family's setting is left alone";
    EXPECT_TRUE(UninstallQuietly()) << "the uninstaller did not finish";
    EXPECT_EQ(BootSaver(), kPreviousSaver);
}
