// The configuration dialog driven as a user drives it: what it shows, how its switches act, what OK and Cancel keep.
#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/folders.h"
#include "tests/support/saver_process.h"
#include "tests/support/settings_file.h"
#include "tests/support/user_registry.h"
#include "tests/support/waiting.h"
#include "win32/handles.h"

using namespace dialog_driver;

namespace {

constexpr char kDialogTitle[] = "Bildschirmschoner Einstellungen";
constexpr int kChooserName = 1148;  // the file chooser's file-name box

class ConfigDialog : public testing::Test {
protected:
    void SetUp() override { settings_file::Remove(); }

    // Starts the saver to be configured; its dialog once it has filled its controls, or null.
    // The first window after an idle spell can take Wine several seconds, hence the generous wait.
    HWND Open()
    {
        saver_.reset();
        saver_ = std::make_unique<SaverProcess>(SaverPath(), "/c");
        HWND dialog = saver_->WaitForWindow("#32770", kDialogTitle, 30000);
        return dialog != nullptr && WaitUntilShown(dialog) ? dialog : nullptr;
    }

    // Clicks OK or Cancel and gives the program's exit code.
    DWORD ClickAndWaitForExit(HWND dialog, int button)
    {
        Click(dialog, button);
        return saver_->WaitForExit();
    }

    std::unique_ptr<SaverProcess> saver_;
};

}  // namespace

TEST_F(ConfigDialog, OpensOnTheDefaultsInGermanItsSwitchesActOnTheirOwnControlsAndCancelStoresNothing)
{
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    // German texts read back in Windows-1252.
    EXPECT_EQ(TextOf(dialog), kDialogTitle);
    EXPECT_EQ(TextOf(dialog, IDC_SIZE_ORIGINAL),
              "Originalgr\xF6\xDF"
              "e");
    EXPECT_EQ(ShownEntry(dialog, IDC_STYLE), "Quillmark, Farbe (ab 256 Farben)");
    EXPECT_EQ(ShownEntry(dialog, IDC_SPEED), "100");
    EXPECT_EQ(Entries(dialog, IDC_SPEED), (std::vector<std::string>{"10", "20", "30", "40", "50", "60", "70",
                                                                    "80", "90", "100", "max."}));
    EXPECT_EQ(Entries(dialog, IDC_PICTURES),
              (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "7", "8", "9"}));
    EXPECT_EQ(TextOf(dialog, IDC_CHANGE_TIME), "10");
    SendMessageA(GetDlgItem(dialog, IDC_CHANGE_TIME), WM_CHAR, 'x', 0);
    EXPECT_EQ(TextOf(dialog, IDC_CHANGE_TIME), "10") << "the seconds field takes digits only";
    for (const int id : {IDC_BACKGROUND_BLACK, IDC_MOVE_ON, IDC_ORDER_SEQUENTIAL, IDC_SIZE_ORIGINAL})
        EXPECT_TRUE(IsChecked(dialog, id)) << id;

    // Each switch enables its own controls; a radio button leaves the other groups' choices.
    const struct {
        int click;
        std::vector<int> enabled, disabled, stillChecked;
    } steps[] = {
        {IDC_BACKGROUND_BITMAP,
         {IDC_BITMAP_FILE, IDC_TILES},
         {IDC_WIPE_EFFECT, IDC_COLOR_FROM},
         {IDC_ORDER_SEQUENTIAL}},
        {IDC_BACKGROUND_GRADIENT,
         {IDC_COLOR_FROM, IDC_COLOR_TO},
         {IDC_BITMAP_FILE, IDC_TILES},
         {IDC_MOVE_ON}},
        {IDC_BACKGROUND_DESKTOP, {IDC_WIPE_EFFECT}, {IDC_COLOR_TO, IDC_TILES}, {IDC_SIZE_ORIGINAL}},
        {IDC_PLAY_MIDI, {IDC_BROWSE_MIDI, IDC_MIDI_FILE, IDC_LOOP_MIDI}, {IDC_WAVE_FILE}, {}},
        {IDC_PLAY_WAVE, {IDC_BROWSE_WAVE, IDC_WAVE_FILE}, {}, {}},
        {IDC_MOVE_OFF, {}, {IDC_SPEED}, {IDC_BACKGROUND_DESKTOP}},
        {IDC_ORDER_RANDOM, {}, {}, {IDC_BACKGROUND_DESKTOP, IDC_MOVE_OFF}},
        {IDC_SIZE_SCREEN, {IDC_PROPORTIONAL}, {IDC_CENTERED, IDC_MOVE_ON, IDC_PICTURES}, {IDC_ORDER_RANDOM}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE("clicked " + std::to_string(step.click));
        Click(dialog, step.click);
        for (const int id : step.enabled) EXPECT_TRUE(IsEnabled(dialog, id)) << id;
        for (const int id : step.disabled) EXPECT_FALSE(IsEnabled(dialog, id)) << id;
        for (const int id : step.stillChecked) EXPECT_TRUE(IsChecked(dialog, id)) << id;
    }
    EXPECT_EQ(ClickAndWaitForExit(dialog, IDCANCEL), 0u);
    EXPECT_EQ(settings_file::Text(), "[Options]\r\nColor1_tmp=0\r\nColor2_tmp=0\r\n")
        << "only the working colours";
}

TEST_F(ConfigDialog, StoredChoicesOpenAsTheyAreAndOkKeepsEveryOne)
{
    const std::map<std::string, std::string> stored = {{"ChangeTime", "42"},
                                                       {"Background", "6"},
                                                       {"Move", "0"},
                                                       {"ChangePos", "1"},
                                                       {"Random", "1"},
                                                       {"Speed", "3"},
                                                       {"Scale", "4"},
                                                       {"Pictures", "0"},
                                                       {"Style", "1"},
                                                       {"FitDesktop", "1"},
                                                       {"Proportional", "1"},
                                                       {"Centered", "0"},
                                                       {"WipeEffect", "0"},
                                                       {"OwnBitmap", "C:\\a.bmp"},
                                                       {"OwnBitmap_tmp", "C:\\a.bmp"},
                                                       {"Color1", "255"},
                                                       {"Color1_tmp", "255"},
                                                       {"Color2", "65280"},
                                                       {"Color2_tmp", "65280"},
                                                       {"MidiFile", "C:\\m.mid"},
                                                       {"MidiFile_tmp", "C:\\m.mid"},
                                                       {"WaveFile", "C:\\w.wav"},
                                                       {"WaveFile_tmp", "C:\\w.wav"},
                                                       {"PlayMidi", "1"},
                                                       {"PlayWave", "1"},
                                                       {"LoopMidi", "1"},
                                                       {"Tiles", "1"}};
    for (const auto& [key, value] : stored) settings_file::Write(key.c_str(), value);
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ShownEntry(dialog, IDC_SPEED), "40");
    // Every key makes the round trip through its control: a control that showed it otherwise would store that.
    EXPECT_EQ(ClickAndWaitForExit(dialog, IDOK), 1u);
    for (const auto& [key, value] : stored) EXPECT_EQ(settings_file::Read(key.c_str()), value) << key;
}

// The chooser starts at the field's file; its pick fills the field and the working key, and only OK commits it.
TEST_F(ConfigDialog, TheBitmapChooserStartsAtTheFieldsFileAndItsPickFillsTheFieldAndTheWorkingKey)
{
    CreateDirectoryA("C:\\tavrix-tests", nullptr);
    const std::string typed = "C:\\tavrix-tests\\my pic.bmp", picked = "C:\\tavrix-tests\\other.bmp";
    std::ofstream(typed) << "tavrix";
    std::ofstream(picked) << "tavrix";
    settings_file::Write("Background", "5");
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    Type(dialog, IDC_BITMAP_FILE, typed);
    HWND chooser = OpenModal(dialog, IDC_BROWSE_BITMAP);
    ASSERT_NE(chooser, nullptr);
    EXPECT_EQ(TextOf(chooser), "Bitmap-Datei laden");
    EXPECT_EQ(TextOf(chooser, kChooserName), "my pic.bmp");
    Type(chooser, kChooserName, picked);
    ASSERT_TRUE(CloseModal(chooser, IDOK));
    EXPECT_TRUE(WaitUntil([&] { return settings_file::Read("OwnBitmap_tmp") == picked; }, 5000));
    EXPECT_EQ(TextOf(dialog, IDC_BITMAP_FILE), picked);
    EXPECT_EQ(ClickAndWaitForExit(dialog, IDCANCEL), 0u);
    EXPECT_EQ(settings_file::Read("OwnBitmap"), "<missing>");
}

// OK on settings that cannot be stored: a box says why in German, the dialog stays, nothing is lost.
TEST_F(ConfigDialog, OkOnAReadOnlyFileSaysSoKeepsTheDialogAndStoresOnceItMay)
{
    settings_file::Write("ChangeTime", "42");
    const std::string stored = settings_file::Text(), path = settings_file::Path();
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    ScopeExit writable([&] { SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL); });
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    Type(dialog, IDC_CHANGE_TIME, "7");
    HWND box = OpenModal(dialog, IDOK);
    ASSERT_NE(box, nullptr) << "a box tells the user";
    std::string text;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        text += TextOf(child);
    for (const char* part :
         {"Die Einstellungen konnten nicht gespeichert werden.", "schreibgesch\xFCtzt", "tavrixsaver.ini"})
        EXPECT_NE(text.find(part), std::string::npos) << text;
    EXPECT_TRUE(CloseModal(box, IDOK));
    EXPECT_TRUE(IsWindow(dialog)) << "the dialog stays open";
    EXPECT_EQ(settings_file::Text(), stored);

    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ClickAndWaitForExit(dialog, IDOK), 1u);
    EXPECT_EQ(settings_file::Read("ChangeTime"), "7");
}

TEST_F(ConfigDialog, TheConfigureCommandHasTheForegroundWindowOwnTheDialogAndNoArgumentsNone)
{
    // A shown window of the test program, in the foreground as Display Properties would be; its
    // messages are answered while the test waits.
    HWND display = CreateWindowExA(0, "STATIC", "Display properties", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10,
                                   10, 300, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ScopeExit destroy([&] { DestroyWindow(display); });
    for (const auto& [arguments, owner] : {std::make_pair("/c", display), std::make_pair("", HWND())}) {
        SCOPED_TRACE(std::string("arguments \"") + arguments + "\"");
        SetForegroundWindow(display);
        ASSERT_TRUE(RunMessagesUntil([&] { return GetForegroundWindow() == display; }, 10000));
        saver_ = std::make_unique<SaverProcess>(SaverPath(), arguments);
        HWND dialog = nullptr;
        RunMessagesUntil(
            [&] {
                dialog = FindWindowA("#32770", kDialogTitle);
                return (dialog != nullptr && IsWindowVisible(dialog)) || !saver_->Running();
            },
            30000);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner);
        Press(dialog, IDCANCEL);
        RunMessagesUntil([&] { return !saver_->Running(); }, 10000);
        EXPECT_EQ(saver_->WaitForExit(), 0u);
    }
}

namespace {

// What a control needs around its text: a box or circle before the text of a check box or radio
// button, a frame's margins, a push button's edges. In pixels at `dpi`.
int TextRoom(const std::string& kind, LONG style, int width, int dpi)
{
    const int scaled = MulDiv(1, dpi, 96);
    if (kind != "button") return width;
    switch (style & BS_TYPEMASK) {
    case BS_AUTOCHECKBOX:
    case BS_AUTORADIOBUTTON: return width - MulDiv(13 + 5, dpi, 96);
    case BS_GROUPBOX: return width - MulDiv(2 * 7, dpi, 96);
    default: return width - 4 * scaled;
    }
}

// Each shown control's text against the room it has, and each pair of controls that overlap; ""
// when all is well. Texts are measured in the dialog's own font, "MS Sans Serif" 8 points.
std::string Crowding(HWND dialog, int dpi)
{
    WindowDc screen(nullptr);
    UniqueMemoryDc measure(CreateCompatibleDC(screen.get()));
    const HFONT font = CreateFontA(-MulDiv(8, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                   ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                   DEFAULT_PITCH, "MS Sans Serif");
    const UniqueHandle<GdiObjectTraits<HFONT>> owned(font);
    SelectedObject selected(measure.get(), font);
    std::string problems;
    std::vector<std::pair<HWND, RECT>> placed;
    for (HWND control = GetWindow(dialog, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
        if (!IsWindowVisible(control)) continue;
        char kindText[32] = {};
        GetClassNameA(control, kindText, sizeof kindText);
        std::string kind = kindText;
        for (char& c : kind) c = char(std::tolower(static_cast<unsigned char>(c)));
        const LONG style = GetWindowLongA(control, GWL_STYLE);
        RECT box{};
        GetWindowRect(control, &box);
        const std::string text = TextOf(control);
        const bool frame = kind == "button" && (style & BS_TYPEMASK) == BS_GROUPBOX;
        if (!frame) placed.push_back({control, box});
        if (text.empty() || kind == "edit" || kind == "combobox") continue;
        RECT needed{0, 0, TextRoom(kind, style, box.right - box.left, dpi), 0};
        const bool wraps = kind == "static" && (style & SS_TYPEMASK) == SS_LEFT;
        DrawTextA(measure.get(), text.c_str(), -1, &needed,
                  DT_CALCRECT | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
        const int room = TextRoom(kind, style, box.right - box.left, dpi);
        const int rows = frame ? needed.bottom : needed.bottom - needed.top;
        if (needed.right > room || (!frame && rows > box.bottom - box.top))
            problems += "\"" + text + "\" needs " + std::to_string(needed.right) + " x " +
                        std::to_string(rows) + ", has " + std::to_string(room) + " x " +
                        std::to_string(box.bottom - box.top) + "; ";
    }
    for (size_t i = 0; i < placed.size(); ++i) {
        for (size_t j = i + 1; j < placed.size(); ++j) {
            RECT both{};
            if (IntersectRect(&both, &placed[i].second, &placed[j].second))
                problems +=
                    "\"" + TextOf(placed[i].first) + "\" overlaps \"" + TextOf(placed[j].first) + "\"; ";
        }
    }
    return problems;
}

}  // namespace

// At any display scaling the dialog stays readable: every text fits its control and no control
// lies over another, at 96 dpi and at 144 (150 %). The program asks Windows for the screen's own
// pixels (its manifest), so the dialog grows with its font.
TEST_F(ConfigDialog, AtOneAndAHalfTimesTheDpiEveryTextFitsItsControlAndNoControlsOverlap)
{
    ScopeExit usual([] { WriteUserRegistryNumber("Control Panel\\Desktop", "LogPixels", 96); });
    std::map<int, LONG> widths;
    for (const int dpi : {96, 144}) {
        SCOPED_TRACE(std::to_string(dpi) + " dpi");
        WriteUserRegistryNumber("Control Panel\\Desktop", "LogPixels", DWORD(dpi));
        HWND dialog = Open();
        ASSERT_NE(dialog, nullptr);
        RECT client{};
        GetClientRect(dialog, &client);
        widths[dpi] = client.right;
        EXPECT_EQ(Crowding(dialog, dpi), "");
        EXPECT_EQ(ClickAndWaitForExit(dialog, IDCANCEL), 0u);
    }
    EXPECT_NEAR(double(widths[144]) / double(widths[96]), 1.5, 0.1)
        << "the dialog grows with the display's dpi";
}
