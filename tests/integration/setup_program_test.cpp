// The setup program and its uninstaller run silently (/S) as a Windows user runs them: what they leave in
// the Windows folder and the registry, and the saver they leave active.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "tavrix_version.h"
#include "win32/handles.h"
#include "tests/support/saver_process.h"
#include "tests/support/settings_file.h"

namespace {

using Text = std::optional<std::string>;  // a text value of the registry; none when absent

constexpr char kDesktopKey[] = "Control Panel\\Desktop";
constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TavrixBildschirmschoner";
constexpr DWORD kSetupDeadline = 60000;  // a busy machine may take long to unpack and write

std::string InWindowsFolder(const char* name)
{
    char folder[MAX_PATH];
    UINT length = GetWindowsDirectoryA(folder, MAX_PATH);
    return std::string(folder, length) + "\\" + name;
}

const std::string kInstalledSaver = InWindowsFolder("tavrixsaver.scr");
const std::string kUninstaller = InWindowsFolder("tavrixsaver-uninstall.exe");

std::string Contents(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

Text ReadText(HKEY root, const char* key, const char* name)
{
    char text[1024] = {};
    DWORD size = sizeof(text);
    if (RegGetValueA(root, key, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) return {};
    return text;
}

// The active saver, as the NT family keeps it; none deletes the value.
void WriteDesktop(const char* name, const Text& value)
{
    HKEY opened = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_WRITE, nullptr, &opened, nullptr))
        return;
    if (value)
        RegSetValueExA(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value->c_str()),
                       static_cast<DWORD>(value->size() + 1));
    else
        RegDeleteValueA(opened, name);
    RegCloseKey(opened);
}

Text Desktop(const char* name) { return ReadText(HKEY_CURRENT_USER, kDesktopKey, name); }

bool Installed()
{
    HKEY entry = nullptr;
    const bool listed = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, &entry) == ERROR_SUCCESS;
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

TEST(SetupProgram, SilentlyItInstallsAndActivatesTheSaverAndItsUninstallBringsBackTheOneBeforeAndKeepsTheSettings)
{
    settings_file::Remove();
    if (Installed()) UninstallQuietly();
    ASSERT_FALSE(Installed()) << "a saver of an earlier run is still installed";
    const Text saverBefore = Desktop("SCRNSAVE.EXE"), activeBefore = Desktop("ScreenSaveActive");
    ScopeExit restore([&] {
        if (Installed()) UninstallQuietly();
        settings_file::Remove();
        WriteDesktop("SCRNSAVE.EXE", saverBefore);
        WriteDesktop("ScreenSaveActive", activeBefore);
    });
    const char kPreviousSaver[] = "C:\\windows\\system32\\vorher.scr";
    WriteDesktop("SCRNSAVE.EXE", kPreviousSaver);
    WriteDesktop("ScreenSaveActive", "0");
    const std::string setup = BuildFolder() + "tavrixsaver-setup.exe";
    ASSERT_EQ(RunQuietly(setup), 0u);
    ASSERT_EQ(RunQuietly(setup), 0u) << "a second setup keeps the saver the first one remembered";

    EXPECT_TRUE(Contents(kInstalledSaver) == Contents(SaverPath())) << "the installed saver is the built one";
    EXPECT_EQ(lstrcmpiA(Desktop("SCRNSAVE.EXE").value_or("").c_str(), kInstalledSaver.c_str()), 0);
    EXPECT_EQ(Desktop("ScreenSaveActive"), "1");
    const std::pair<const char*, std::string> entry[] = {
        {"DisplayName", "Tavrix Bildschirmschoner"},
        {"DisplayVersion", TAVRIX_VERSION_TEXT},
        {"Publisher", TAVRIX_PUBLISHER},
        {"QuietUninstallString", "\"" + kUninstaller + "\" /S"},
    };
    for (const auto& [name, value] : entry) EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kUninstallKey, name), value) << name;

    settings_file::Write("Pictures", "5");
    EXPECT_TRUE(UninstallQuietly()) << "the uninstaller did not finish";
    EXPECT_EQ(Desktop("SCRNSAVE.EXE"), kPreviousSaver);
    EXPECT_EQ(Desktop("ScreenSaveActive"), "0");
    EXPECT_EQ(settings_file::Read("Pictures"), "5") << "a silent uninstall asks nothing and keeps the settings";
}
