// The configuration dialog driven as a user drives it: what it shows, how its switches act, what OK and Cancel keep.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include "resources/resource_ids.h"
#include "win32/handles.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/saver_process.h"
#include "tests/support/host_command.h"
#include "tests/support/settings_file.h"
#include "tests/support/unix_fifo.h"

using namespace dialog_driver;

namespace {

constexpr char kDialogTitle[] = "Bildschirmschoner Einstellungen";
constexpr char kColourStyle[] = "Quillmark, Farbe (ab 256 Farben)";
constexpr char kGreyStyle[] = "Quillmark, grau (f\xFC" "r 256 Farben)";
// The file chooser's file-name box and "Files of type"; the colour chooser's red, green and blue.
constexpr int kChooserName = 1148, kChooserTypes = 1136;
constexpr int kRedField = 706, kGreenField = 707, kBlueField = 708;

// A small file in C:\tavrix-tests (or a folder in it), made afresh; its full path.
std::string TestFile(const char* name, const std::string& subfolder = "")
{
    const std::string folder = "C:\\tavrix-tests" + (subfolder.empty() ? "" : "\\" + subfolder);
    CreateDirectoryA("C:\\tavrix-tests", nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string path = folder + "\\" + name;
    std::ofstream(path) << "tavrix";
    return path;
}

using Keys = std::map<std::string, std::string>;

void WriteKeys(const Keys& keys)
{
    for (const auto& [key, value] : keys) settings_file::Write(key.c_str(), value);
}

void ExpectStored(const Keys& keys)
{
    for (const auto& [key, value] : keys) EXPECT_EQ(settings_file::Read(key.c_str()), value) << key;
}

using Ids = std::set<int>;

bool IsDisabled(HWND dialog, int id) { return !IsEnabled(dialog, id); }

// Which of the dialog's controls hold, such as IsChecked or IsDisabled.
Ids ControlsThat(bool (*hold)(HWND, int), HWND dialog)
{
    Ids ids;
    for (int id = IDC_BACKGROUND_BLACK; id <= IDC_TILES; ++id)
        if (GetDlgItem(dialog, id) != nullptr && hold(dialog, id)) ids.insert(id);
    return ids;
}

// The choosers write their working keys while the dialog stays open.
bool StoredBecomes(const char* key, const std::string& value)
{
    return WaitUntil([&] { return settings_file::Read(key) == value; }, 5000);
}

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

    // Clicks OK (1) or Cancel (2) and gives the program's exit code.
    DWORD ClickAndWaitForExit(HWND dialog, int button)
    {
        Click(dialog, button);
        return saver_->WaitForExit();
    }

    // Opens the dialog, lets `change` act on it, clicks OK and expects the program to end with 1.
    template <typename Change>
    void ChangeAndOk(Change change)
    {
        HWND dialog = Open();
        ASSERT_NE(dialog, nullptr);
        change(dialog);
        EXPECT_EQ(ClickAndWaitForExit(dialog, IDOK), 1u);
    }

    std::unique_ptr<SaverProcess> saver_;
};

// Types red, green and blue into the colour chooser of "von" or "bis" and closes it with `button`.
bool ChooseColour(HWND chooser, const char* red, const char* green, const char* blue, int button = IDOK)
{
    Type(chooser, kRedField, red);
    Type(chooser, kGreenField, green);
    Type(chooser, kBlueField, blue);
    return CloseModal(chooser, button);
}

}  // namespace

TEST_F(ConfigDialog, WithoutSettingsShowsTheDefaultsInGerman)
{
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(TextOf(dialog, IDC_CHANGE_TIME), "10");
    SendMessageA(GetDlgItem(dialog, IDC_CHANGE_TIME), WM_CHAR, 'x', 0);
    EXPECT_EQ(TextOf(dialog, IDC_CHANGE_TIME), "10") << "the seconds field takes digits only";
    EXPECT_EQ(ControlsThat(IsChecked, dialog),
              (Ids{IDC_BACKGROUND_BLACK, IDC_MOVE_ON, IDC_ORDER_SEQUENTIAL, IDC_SIZE_ORIGINAL}));
    EXPECT_EQ(ControlsThat(IsDisabled, dialog),
              (Ids{IDC_WIPE_EFFECT, IDC_TILES, IDC_PROPORTIONAL, IDC_BROWSE_BITMAP, IDC_BITMAP_FILE, IDC_COLOR_FROM,
                   IDC_COLOR_TO, IDC_BROWSE_MIDI, IDC_MIDI_FILE, IDC_LOOP_MIDI, IDC_BROWSE_WAVE, IDC_WAVE_FILE}));
    EXPECT_EQ(ListEntries(dialog, IDC_SPEED),
              (std::vector<std::string>{"10", "20", "30", "40", "50", "60", "70", "80", "90", "100", "max."}));
    EXPECT_EQ(ShownEntry(dialog, IDC_SPEED), "100");
    EXPECT_EQ(ListEntries(dialog, IDC_PICTURES), (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "7", "8", "9"}));
    EXPECT_EQ(ShownEntry(dialog, IDC_PICTURES), "1");
    EXPECT_EQ(ListEntries(dialog, IDC_STYLE), (std::vector<std::string>{kColourStyle, kGreyStyle}));
    EXPECT_EQ(ShownEntry(dialog, IDC_STYLE), kColourStyle);
    // German texts read back in Windows-1252.
    EXPECT_EQ(TextOf(dialog), kDialogTitle);
    EXPECT_EQ(TextOf(dialog, IDC_SIZE_ORIGINAL), "Originalgr\xF6\xDF" "e");
    EXPECT_EQ(TextOf(dialog, IDC_ORDER_RANDOM), "zuf\xE4llig");
}

using ConfigDialogSwitches = ConfigDialog;

// Each switch enables its controls; a disabled box keeps its tick, which comes back with its switch,
// but wipe, centred and proportional count only with the desktop, original size and screen size.
TEST_F(ConfigDialogSwitches, EachSwitchEnablesItsControlsAndDisabledBoxesKeepTheirChoice)
{
    WriteKeys({{"Pictures", "3"}});
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    const struct {
        int click;
        Ids enabled, disabled;
        int tick;  // a box ticked afterwards, or 0
    } steps[] = {
        {IDC_BACKGROUND_BITMAP, {IDC_BROWSE_BITMAP, IDC_BITMAP_FILE, IDC_TILES},
         {IDC_WIPE_EFFECT, IDC_COLOR_FROM, IDC_COLOR_TO}, IDC_TILES},
        {IDC_BACKGROUND_GRADIENT, {IDC_COLOR_FROM, IDC_COLOR_TO},
         {IDC_BROWSE_BITMAP, IDC_BITMAP_FILE, IDC_TILES, IDC_WIPE_EFFECT}, 0},
        {IDC_BACKGROUND_DESKTOP, {IDC_WIPE_EFFECT}, {IDC_COLOR_FROM, IDC_COLOR_TO, IDC_TILES}, IDC_WIPE_EFFECT},
        {IDC_PLAY_MIDI, {IDC_BROWSE_MIDI, IDC_MIDI_FILE, IDC_LOOP_MIDI}, {}, IDC_LOOP_MIDI},
        {IDC_PLAY_MIDI, {}, {IDC_BROWSE_MIDI, IDC_MIDI_FILE, IDC_LOOP_MIDI}, 0},
        {IDC_PLAY_WAVE, {IDC_BROWSE_WAVE, IDC_WAVE_FILE}, {}, 0},
        {IDC_MOVE_OFF, {}, {IDC_SPEED}, 0},
        {IDC_MOVE_ON, {IDC_SPEED, IDC_CENTERED}, {}, IDC_CENTERED},
        {IDC_SIZE_SCREEN, {IDC_PROPORTIONAL}, {IDC_CENTERED, IDC_MOVE_ON, IDC_MOVE_OFF, IDC_PICTURES, IDC_SPEED},
         IDC_PROPORTIONAL},
        {IDC_SIZE_ORIGINAL, {IDC_CENTERED, IDC_MOVE_ON, IDC_MOVE_OFF, IDC_PICTURES}, {IDC_PROPORTIONAL, IDC_SPEED}, 0},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE("clicked " + std::to_string(step.click));
        Click(dialog, step.click);
        for (const int id : step.enabled) EXPECT_TRUE(IsEnabled(dialog, id)) << id;
        for (const int id : step.disabled) EXPECT_FALSE(IsEnabled(dialog, id)) << id;
        if (step.tick) Click(dialog, step.tick);
    }
    // Screen size turned the motion off and chose one picture; original size left them so.
    EXPECT_TRUE(IsChecked(dialog, IDC_MOVE_OFF) && !IsChecked(dialog, IDC_MOVE_ON));
    EXPECT_EQ(ShownEntry(dialog, IDC_PICTURES), "1");
    EXPECT_TRUE(IsChecked(dialog, IDC_LOOP_MIDI) && IsChecked(dialog, IDC_PROPORTIONAL));
    EXPECT_EQ(ClickAndWaitForExit(dialog, IDOK), 1u);
    ExpectStored({{"Move", "0"}, {"Pictures", "0"}, {"FitDesktop", "0"}, {"Background", "4"}, {"WipeEffect", "1"},
                  {"Tiles", "1"}, {"PlayMidi", "0"}, {"LoopMidi", "1"}, {"Centered", "1"}, {"Proportional", "0"}});

    ChangeAndOk([](HWND dialog) {
        EXPECT_TRUE(IsChecked(dialog, IDC_WIPE_EFFECT) && IsChecked(dialog, IDC_LOOP_MIDI)) << "they come back";
        EXPECT_FALSE(IsChecked(dialog, IDC_PROPORTIONAL)) << "what was not stored does not come back";
        for (const int id : {IDC_BACKGROUND_BITMAP, IDC_SIZE_SCREEN, IDC_PROPORTIONAL}) Click(dialog, id);
        EXPECT_TRUE(IsChecked(dialog, IDC_WIPE_EFFECT) && IsChecked(dialog, IDC_CENTERED));
    });
    ExpectStored({{"Background", "5"}, {"WipeEffect", "0"}, {"Centered", "0"}, {"Proportional", "1"}});
}

// Four radio groups: a click in one leaves the others' choices, also where those are not the defaults.
TEST_F(ConfigDialogSwitches, ARadioButtonChangesOnlyItsOwnGroup)
{
    WriteKeys({{"Random", "1"}, {"Move", "0"}, {"Background", "2"}});
    ChangeAndOk([](HWND dialog) {
        for (const int background : {IDC_BACKGROUND_BLACK, IDC_BACKGROUND_BLUE, IDC_BACKGROUND_DESKTOP,
                                     IDC_BACKGROUND_BITMAP, IDC_BACKGROUND_GRADIENT}) {
            Click(dialog, background);
            EXPECT_TRUE(IsChecked(dialog, IDC_ORDER_RANDOM) && IsChecked(dialog, IDC_MOVE_OFF)) << background;
            EXPECT_TRUE(IsChecked(dialog, IDC_SIZE_ORIGINAL)) << background;
        }
        for (const int other : {IDC_ORDER_SEQUENTIAL, IDC_MOVE_ON, IDC_SIZE_SCREEN, IDC_SIZE_ORIGINAL}) {
            Click(dialog, other);
            EXPECT_TRUE(IsChecked(dialog, IDC_BACKGROUND_GRADIENT)) << other;
        }
        EXPECT_TRUE(IsChecked(dialog, IDC_ORDER_SEQUENTIAL) && !IsChecked(dialog, IDC_ORDER_RANDOM));
    });
    ExpectStored({{"Background", "6"}, {"Random", "0"}, {"Move", "0"}, {"FitDesktop", "0"}});
}

using ConfigDialogStoredSettings = ConfigDialog;

TEST_F(ConfigDialogStoredSettings, StoredChoicesOpenAsTheyAreAndOkKeepsEveryOne)
{
    const Keys stored = {
        {"ChangeTime", "42"},      {"Background", "6"},        {"Move", "0"},           {"ChangePos", "1"},
        {"Random", "1"},           {"Speed", "3"},             {"Scale", "4"},          {"Pictures", "0"},
        {"Style", "1"},            {"FitDesktop", "1"},        {"Proportional", "1"},   {"Centered", "0"},
        {"WipeEffect", "0"},       {"OwnBitmap", "C:\\a.bmp"}, {"OwnBitmap_tmp", "C:\\a.bmp"},
        {"Color1", "255"},         {"Color1_tmp", "255"},      {"Color2", "65280"},     {"Color2_tmp", "65280"},
        {"MidiFile", "C:\\m.mid"}, {"MidiFile_tmp", "C:\\m.mid"}, {"WaveFile", "C:\\w.wav"},
        {"WaveFile_tmp", "C:\\w.wav"}, {"PlayMidi", "1"},     {"PlayWave", "1"},       {"LoopMidi", "1"},
        {"Tiles", "1"}};
    WriteKeys(stored);
    // Every key makes the round trip through its control: a control that showed it otherwise would store that.
    ChangeAndOk([](HWND dialog) { EXPECT_EQ(ShownEntry(dialog, IDC_SPEED), "40"); });
    ExpectStored(stored);
}

// Hand-edited values show the nearest entry, but the hidden scale list carries its value through;
// a typed number beyond 32 bits is as good as empty, and a path is cut to what the settings hold.
TEST_F(ConfigDialogStoredSettings, ValuesBeyondTheControlsAreShownAndStoredAsTheSettingsCanHoldThem)
{
    WriteKeys({{"Background", "3"}, {"Pictures", "12"}, {"Speed", "99"}, {"Style", "7"}, {"Scale", "40"}});
    const std::string bitmap = "C:\\" + std::string(297, 'b') + ".bmp";
    ChangeAndOk([&](HWND dialog) {
        EXPECT_EQ(ControlsThat(IsChecked, dialog),  // no button stands for background 3
                  (Ids{IDC_BACKGROUND_BLACK, IDC_MOVE_ON, IDC_ORDER_SEQUENTIAL, IDC_SIZE_ORIGINAL}));
        EXPECT_EQ(ShownEntry(dialog, IDC_PICTURES), "9");
        EXPECT_EQ(ShownEntry(dialog, IDC_SPEED), "max.");
        EXPECT_EQ(ShownEntry(dialog, IDC_STYLE), kGreyStyle);
        Type(dialog, IDC_CHANGE_TIME, "99999999999999999999");
        Click(dialog, IDC_BACKGROUND_BITMAP);
        Type(dialog, IDC_BITMAP_FILE, bitmap);
        ASSERT_EQ(TextOf(dialog, IDC_BITMAP_FILE), bitmap) << "the field itself takes the whole path";
    });
    ExpectStored({{"Pictures", "8"}, {"Speed", "10"}, {"Style", "1"}, {"Scale", "40"}, {"ChangeTime", "0"},
                  {"OwnBitmap", bitmap.substr(0, 254)}, {"OwnBitmap_tmp", bitmap.substr(0, 254)}});
}

// A chooser starts at its field's file, or on its pattern; a pick, or a cancelled chooser, leaves the
// field's file in the field and the working key; only OK commits it.
TEST_F(ConfigDialog, FileChoosersStartAtTheFieldsFileAndFillTheFieldAndItsWorkingKey)
{
    const std::string old = TestFile("my pic.bmp");
    WriteKeys({{"OwnBitmap", old}, {"Background", "5"}, {"PlayMidi", "1"}, {"PlayWave", "1"}});
    // A folder no chooser has shown before, so that only the field can lead there.
    const std::string folder = "pictures " + std::to_string(GetCurrentProcessId());
    const std::string typed = TestFile("my pic.bmp", folder);
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    ASSERT_EQ(TextOf(dialog, IDC_BITMAP_FILE), old);
    Type(dialog, IDC_BITMAP_FILE, typed);
    ASSERT_TRUE(CloseModal(OpenModal(dialog, IDC_BROWSE_BITMAP), IDCANCEL));
    EXPECT_TRUE(StoredBecomes("OwnBitmap_tmp", typed)) << "a cancelled chooser keeps the field and remembers it";

    const struct {
        int button, field;
        const char *title, *startName, *types, *workingKey, *typedName;
        std::string file;
    } picks[] = {
        {IDC_BROWSE_BITMAP, IDC_BITMAP_FILE, "Bitmap-Datei laden", "my pic.bmp", "Bitmap-Datei (*.bmp)",
         "OwnBitmap_tmp", "other.bmp", TestFile("other.bmp", folder)},  // a name alone is found in the folder shown
        {IDC_BROWSE_MIDI, IDC_MIDI_FILE, "Midi-Datei laden", "*.mid", "Midi-Datei (*.mid)", "MidiFile_tmp", nullptr,
         TestFile("tune.mid")},
        {IDC_BROWSE_WAVE, IDC_WAVE_FILE, "Wave-Datei laden", "*.wav", "Wave-Datei (*.wav)", "WaveFile_tmp", nullptr,
         TestFile("click.wav")},
    };
    for (const auto& pick : picks) {
        SCOPED_TRACE(pick.title);
        HWND chooser = OpenModal(dialog, pick.button);
        ASSERT_NE(chooser, nullptr);
        EXPECT_EQ(TextOf(chooser), pick.title);
        EXPECT_EQ(TextOf(chooser, kChooserName), pick.startName);
        EXPECT_EQ(TextOf(chooser, kChooserTypes), pick.types);
        Type(chooser, kChooserName, pick.typedName ? pick.typedName : pick.file);
        ASSERT_TRUE(CloseModal(chooser, IDOK));
        EXPECT_TRUE(StoredBecomes(pick.workingKey, pick.file));
        EXPECT_EQ(TextOf(dialog, pick.field), pick.file);
    }
    EXPECT_EQ(ClickAndWaitForExit(dialog, IDCANCEL), 0u);
    ExpectStored({{"OwnBitmap", old}, {"MidiFile", "<missing>"}});
}

TEST_F(ConfigDialog, AChosenColourIsAWorkingCopyUntilOkAndCancelWritesNothingElse)
{
    settings_file::Write("Color1", "255");
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    Click(dialog, IDC_BACKGROUND_GRADIENT);
    const std::string before = settings_file::Text();
    HWND chooser = OpenModal(dialog, IDC_COLOR_FROM);
    ASSERT_NE(chooser, nullptr);
    EXPECT_EQ(TextOf(chooser, kRedField), "255") << "the chooser starts on the current colour";
    EXPECT_EQ(TextOf(chooser, kBlueField), "0");
    ASSERT_TRUE(ChooseColour(chooser, "0", "0", "255", IDCANCEL));
    EXPECT_EQ(settings_file::Text(), before) << "a cancelled chooser changes nothing";
    ASSERT_TRUE(ChooseColour(OpenModal(dialog, IDC_COLOR_FROM), "0", "0", "255"));
    EXPECT_TRUE(StoredBecomes("Color1_tmp", "16711680"));
    Type(dialog, IDC_CHANGE_TIME, "77");
    EXPECT_EQ(ClickAndWaitForExit(dialog, IDCANCEL), 0u);
    EXPECT_EQ(settings_file::Text(), "[Options]\r\nColor1=255\r\nColor1_tmp=16711680\r\nColor2_tmp=0\r\n");

    ChangeAndOk([](HWND dialog) {
        EXPECT_EQ(settings_file::Read("Color1_tmp"), "255") << "opening starts again from the committed colour";
        Click(dialog, IDC_BACKGROUND_GRADIENT);
        ASSERT_TRUE(ChooseColour(OpenModal(dialog, IDC_COLOR_FROM), "0", "0", "255"));
        ASSERT_TRUE(StoredBecomes("Color1_tmp", "16711680"));
        ASSERT_TRUE(ChooseColour(OpenModal(dialog, IDC_COLOR_TO), "0", "255", "0"));
        ASSERT_TRUE(StoredBecomes("Color2_tmp", "65280"));
    });
    ExpectStored({{"Color1", "16711680"}, {"Color2", "65280"}, {"Background", "6"}});
}

using ConfigDialogEnding = ConfigDialog;

// OK on settings that cannot be stored: a box says why in German, the dialog stays.
void ExpectOkRefusedWithReason(HWND dialog, const char* reason)
{
    ClickWithoutWaiting(dialog, IDOK);
    HWND box = WaitForOwnedDialog(dialog);
    ASSERT_NE(box, nullptr) << "a box tells the user";
    std::string text;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) text += TextOf(child);
    EXPECT_NE(text.find("Die Einstellungen konnten nicht gespeichert werden."), std::string::npos) << text;
    EXPECT_NE(text.find(reason), std::string::npos) << text;
    EXPECT_NE(text.find("tavrixsaver.ini"), std::string::npos) << text;
    EXPECT_TRUE(CloseModal(box, IDOK));
    EXPECT_TRUE(IsWindow(dialog)) << "the dialog stays open";
}

TEST_F(ConfigDialogEnding, OkOnAReadOnlyFileSaysSoKeepsTheDialogAndLosesNothing)
{
    settings_file::Write("ChangeTime", "42");
    const std::string stored = settings_file::Text();
    ASSERT_TRUE(SetFileAttributesA(settings_file::Path().c_str(), FILE_ATTRIBUTE_READONLY));
    ScopeExit writable([] { SetFileAttributesA(settings_file::Path().c_str(), FILE_ATTRIBUTE_NORMAL); });
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    Type(dialog, IDC_CHANGE_TIME, "7");
    ExpectOkRefusedWithReason(dialog, "schreibgesch\xFCtzt");
    EXPECT_EQ(settings_file::Text(), stored);

    SetFileAttributesA(settings_file::Path().c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ClickAndWaitForExit(dialog, IDOK), 1u) << "once the file may be written, OK stores";
    EXPECT_EQ(settings_file::Read("ChangeTime"), "7");
}

// A pipe where the settings file should be: any read from it would wait for good.
TEST_F(ConfigDialogEnding, ASettingsFileThatIsAPipeIsNeverReadAndTheDialogSaysSo)
{
    const UnixFifo pipe(UnixPathOf(settings_file::Path()));
    ASSERT_TRUE(pipe.Made());
    const UniqueFile held = pipe.HoldOpen();
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(TextOf(dialog, IDC_CHANGE_TIME), "10") << "the defaults";
    ExpectOkRefusedWithReason(dialog, "keine gew\xF6hnliche Datei");
    EXPECT_EQ(ClickAndWaitForExit(dialog, IDCANCEL), 0u);
}

TEST_F(ConfigDialogEnding, TheConfigureCommandHasTheForegroundWindowOwnTheDialogAndNoArgumentsNone)
{
    // A shown window of the test program, in the foreground as Display Properties would be; its
    // messages are answered while the test waits.
    const std::unique_ptr<std::remove_pointer_t<HWND>, decltype(&DestroyWindow)> display(
        CreateWindowExA(0, "STATIC", "Display properties", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200,
                        nullptr, nullptr, GetModuleHandleA(nullptr), nullptr),
        &DestroyWindow);
    const auto pumpUntil = [](const std::function<bool()>& condition) {
        return WaitUntil([&] {
            for (MSG message; PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);) DispatchMessageA(&message);
            return condition();
        }, 10000);
    };
    SetForegroundWindow(display.get());
    ASSERT_TRUE(pumpUntil([&] { return GetForegroundWindow() == display.get(); }));

    const std::pair<const char*, HWND> cases[] = {{"/c", display.get()}, {"/c:1234", display.get()}, {"", nullptr}};
    for (const auto& [arguments, owner] : cases) {
        SCOPED_TRACE(std::string("arguments \"") + arguments + "\"");
        saver_ = std::make_unique<SaverProcess>(SaverPath(), arguments);
        HWND dialog = nullptr;
        pumpUntil([&] {
            dialog = FindWindowA("#32770", kDialogTitle);
            return (dialog != nullptr && IsWindowVisible(dialog)) || !saver_->Running();
        });
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner);
        Press(dialog, IDCANCEL);
        pumpUntil([&] { return !saver_->Running(); });
        EXPECT_EQ(saver_->WaitForExit(), 0u);
        SetForegroundWindow(display.get());
    }
}
