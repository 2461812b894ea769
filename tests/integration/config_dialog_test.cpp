// The configuration dialog driven as a user drives it: what it shows, how its switches act, what OK and Cancel keep.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <sstream>
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
constexpr char kMissing[] = "<missing>";
constexpr char kColourStyle[] = "Quillmark, Farbe (ab 256 Farben)";
constexpr char kGreyStyle[] = "Quillmark, grau (f\xFC" "r 256 Farben)";

// The file chooser's controls.
constexpr int kChooserName = 1148;    // the file-name box
constexpr int kChooserFolder = 1137;  // "Look in"
constexpr int kChooserTypes = 1136;   // "Files of type"
// The colour chooser's fields for red, green and blue.
constexpr int kRedField = 706;
constexpr int kGreenField = 707;
constexpr int kBlueField = 708;

constexpr char kTestFolder[] = "C:\\tavrix-tests";

// A small file in the test folder (or a folder in it), made afresh; its full path.
std::string TestFile(const char* name, const std::string& subfolder = "")
{
    const std::string folder = kTestFolder + (subfolder.empty() ? "" : "\\" + subfolder);
    CreateDirectoryA(kTestFolder, nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string path = folder + "\\" + name;
    std::ofstream(path) << "tavrix";
    return path;
}

using Keys = std::map<std::string, std::string>;

// Every key=value line of the settings file as it is on disk.
Keys StoredKeys()
{
    Keys keys;
    std::istringstream text(settings_file::Text());
    for (std::string line; std::getline(text, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t equals = line.find('=');
        if (equals != std::string::npos) keys[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return keys;
}

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

// Answers the messages of the test program's windows until the condition holds.
bool PumpUntil(const std::function<bool()>& condition)
{
    return WaitUntil(
        [&] {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
            return condition();
        },
        10000);
}

}  // namespace

TEST_F(ConfigDialog, WithoutSettingsShowsTheDefaultsInGermanAndOkWritesEveryKey)
{
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);

    EXPECT_EQ(TextOf(dialog, IDC_CHANGE_TIME), "10");
    EXPECT_EQ(ControlsThat(IsChecked, dialog),
              (Ids{IDC_BACKGROUND_BLACK, IDC_MOVE_ON, IDC_ORDER_SEQUENTIAL, IDC_SIZE_ORIGINAL}));
    EXPECT_EQ(ControlsThat(IsDisabled, dialog),
              (Ids{IDC_WIPE_EFFECT, IDC_TILES, IDC_PROPORTIONAL, IDC_BROWSE_BITMAP, IDC_BITMAP_FILE, IDC_COLOR_FROM,
                   IDC_COLOR_TO, IDC_BROWSE_MIDI, IDC_MIDI_FILE, IDC_LOOP_MIDI, IDC_BROWSE_WAVE, IDC_WAVE_FILE}));
    EXPECT_EQ(ListEntries(dialog, IDC_SPEED),
              (std::vector<std::string>{"10", "20", "30", "40", "50", "60", "70", "80", "90", "100", "max."}));
    EXPECT_EQ(ShownEntry(dialog, IDC_SPEED), "100");
    EXPECT_EQ(ListEntries(dialog, IDC_PICTURES),
              (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "7", "8", "9"}));
    EXPECT_EQ(ShownEntry(dialog, IDC_PICTURES), "1");
    EXPECT_EQ(ListEntries(dialog, IDC_STYLE), (std::vector<std::string>{kColourStyle, kGreyStyle}));
    EXPECT_EQ(ShownEntry(dialog, IDC_STYLE), kColourStyle);
    for (const int field : {IDC_BITMAP_FILE, IDC_MIDI_FILE, IDC_WAVE_FILE}) EXPECT_EQ(TextOf(dialog, field), "");
    // German texts read back in Windows-1252.
    EXPECT_EQ(TextOf(dialog), kDialogTitle);
    EXPECT_EQ(TextOf(dialog, IDC_SIZE_ORIGINAL), "Originalgr\xF6\xDF" "e");
    EXPECT_EQ(TextOf(dialog, IDC_SIZE_SCREEN), "Bildschirmgr\xF6\xDF" "e");
    EXPECT_EQ(TextOf(dialog, IDC_BACKGROUND_WHITE), "Farbverlauf wei\xDF");
    EXPECT_EQ(TextOf(dialog, IDC_ORDER_RANDOM), "zuf\xE4llig");

    EXPECT_EQ(ClickAndWaitForExit(dialog, IDOK), 1u);
    EXPECT_EQ(StoredKeys(),
              (Keys{{"ChangeTime", "10"},   {"Background", "0"},    {"Move", "1"},         {"ChangePos", "0"},
                    {"Random", "0"},        {"Speed", "9"},         {"Scale", "9"},        {"Pictures", "0"},
                    {"Style", "0"},         {"FitDesktop", "0"},    {"Proportional", "0"}, {"Centered", "0"},
                    {"WipeEffect", "0"},    {"OwnBitmap", ""},      {"OwnBitmap_tmp", ""}, {"Color1", "0"},
                    {"Color1_tmp", "0"},    {"Color2", "0"},        {"Color2_tmp", "0"},   {"MidiFile", ""},
                    {"MidiFile_tmp", ""},   {"WaveFile", ""},       {"WaveFile_tmp", ""},  {"PlayMidi", "0"},
                    {"PlayWave", "0"},      {"LoopMidi", "0"},      {"Tiles", "0"}}));
}

using ConfigDialogSwitches = ConfigDialog;

TEST_F(ConfigDialogSwitches, EachSwitchEnablesItsControlsAndScreenSizeForcesMotionOffAndOnePicture)
{
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    SelectListEntry(dialog, IDC_PICTURES, 3);
    ASSERT_EQ(ShownEntry(dialog, IDC_PICTURES), "4");

    const struct {
        int click;
        Ids enabled, disabled;
    } steps[] = {
        {IDC_BACKGROUND_BITMAP,
         {IDC_BROWSE_BITMAP, IDC_BITMAP_FILE, IDC_TILES},
         {IDC_WIPE_EFFECT, IDC_COLOR_FROM, IDC_COLOR_TO}},
        {IDC_BACKGROUND_GRADIENT,
         {IDC_COLOR_FROM, IDC_COLOR_TO},
         {IDC_BROWSE_BITMAP, IDC_BITMAP_FILE, IDC_TILES, IDC_WIPE_EFFECT}},
        {IDC_BACKGROUND_DESKTOP, {IDC_WIPE_EFFECT}, {IDC_COLOR_FROM, IDC_COLOR_TO}},
        {IDC_PLAY_MIDI, {IDC_BROWSE_MIDI, IDC_MIDI_FILE, IDC_LOOP_MIDI}, {}},
        {IDC_PLAY_WAVE, {IDC_BROWSE_WAVE, IDC_WAVE_FILE}, {}},
        {IDC_MOVE_OFF, {}, {IDC_SPEED}},
        {IDC_MOVE_ON, {IDC_SPEED}, {}},
        {IDC_SIZE_SCREEN, {IDC_PROPORTIONAL}, {IDC_CENTERED, IDC_MOVE_ON, IDC_MOVE_OFF, IDC_PICTURES, IDC_SPEED}},
        {IDC_SIZE_ORIGINAL, {IDC_CENTERED, IDC_MOVE_ON, IDC_MOVE_OFF, IDC_PICTURES}, {IDC_PROPORTIONAL, IDC_SPEED}},
    };
    for (const auto& step : steps) {
        Click(dialog, step.click);
        for (const int id : step.enabled) EXPECT_TRUE(IsEnabled(dialog, id)) << step.click << " " << id;
        for (const int id : step.disabled) EXPECT_FALSE(IsEnabled(dialog, id)) << step.click << " " << id;
    }
    // Screen size turned the motion off and chose one picture; original size left them so.
    EXPECT_TRUE(IsChecked(dialog, IDC_MOVE_OFF));
    EXPECT_FALSE(IsChecked(dialog, IDC_MOVE_ON));
    EXPECT_EQ(ShownEntry(dialog, IDC_PICTURES), "1");
    EXPECT_EQ(ClickAndWaitForExit(dialog, IDOK), 1u);
    ExpectStored({{"Move", "0"}, {"Pictures", "0"}, {"FitDesktop", "0"}});
}

TEST_F(ConfigDialogSwitches, DisabledBoxesKeepTheirChoiceButTheWipeCountsOnlyWithTheDesktop)
{
    ChangeAndOk([](HWND dialog) {
        for (const int id : {IDC_BACKGROUND_DESKTOP, IDC_WIPE_EFFECT, IDC_PLAY_MIDI, IDC_LOOP_MIDI, IDC_PLAY_MIDI})
            Click(dialog, id);
        EXPECT_TRUE(IsChecked(dialog, IDC_LOOP_MIDI));
        EXPECT_FALSE(IsEnabled(dialog, IDC_LOOP_MIDI));
    });
    ExpectStored({{"WipeEffect", "1"}, {"Background", "4"}, {"PlayMidi", "0"}, {"LoopMidi", "1"}});

    ChangeAndOk([](HWND dialog) {
        EXPECT_TRUE(IsChecked(dialog, IDC_WIPE_EFFECT) && IsChecked(dialog, IDC_LOOP_MIDI)) << "they come back";
        EXPECT_FALSE(IsEnabled(dialog, IDC_LOOP_MIDI));
        Click(dialog, IDC_BACKGROUND_BITMAP);
        Click(dialog, IDC_TILES);
        EXPECT_TRUE(IsChecked(dialog, IDC_WIPE_EFFECT)) << "disabling keeps the box as it was";
        EXPECT_FALSE(IsEnabled(dialog, IDC_WIPE_EFFECT));
    });
    ExpectStored({{"WipeEffect", "0"}, {"Background", "5"}, {"Tiles", "1"}, {"LoopMidi", "1"}});
}

TEST_F(ConfigDialogSwitches, CentredCountsOnlyAtOriginalSizeAndProportionalOnlyAtScreenSize)
{
    ChangeAndOk([](HWND dialog) {
        for (const int id : {IDC_CENTERED, IDC_SIZE_SCREEN, IDC_PROPORTIONAL}) Click(dialog, id);
        EXPECT_TRUE(IsChecked(dialog, IDC_CENTERED));
    });
    ExpectStored({{"Centered", "0"}, {"Proportional", "1"}, {"FitDesktop", "1"}});

    ChangeAndOk([](HWND dialog) {
        EXPECT_FALSE(IsChecked(dialog, IDC_CENTERED)) << "what was not stored does not come back";
        for (const int id : {IDC_SIZE_ORIGINAL, IDC_CENTERED}) Click(dialog, id);
        EXPECT_TRUE(IsChecked(dialog, IDC_PROPORTIONAL));
    });
    ExpectStored({{"Centered", "1"}, {"Proportional", "0"}, {"FitDesktop", "0"}});
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

using ConfigDialogFields = ConfigDialog;

TEST_F(ConfigDialogFields, TypedFieldsStoreWhatTheSettingsCanHold)
{
    const std::string bitmap = "C:\\" + std::string(297, 'b') + ".bmp";
    const std::string midi = "C:\\" + std::string(297, 'm') + ".mid";
    const std::string wave = "C:\\" + std::string(297, 'w') + ".wav";
    ChangeAndOk([&](HWND dialog) {
        Type(dialog, IDC_CHANGE_TIME, "99999999999999999999");
        for (const int on : {IDC_BACKGROUND_BITMAP, IDC_PLAY_MIDI, IDC_PLAY_WAVE}) Click(dialog, on);
        Type(dialog, IDC_BITMAP_FILE, bitmap);
        Type(dialog, IDC_MIDI_FILE, midi);
        Type(dialog, IDC_WAVE_FILE, wave);
        ASSERT_EQ(TextOf(dialog, IDC_BITMAP_FILE), bitmap) << "the field itself takes the whole path";
    });
    ExpectStored({{"ChangeTime", "0"},  // beyond 32 bits: as good as empty
                  {"OwnBitmap", bitmap.substr(0, 254)},
                  {"MidiFile", midi.substr(0, 254)},
                  {"WaveFile", wave.substr(0, 254)},
                  {"OwnBitmap_tmp", bitmap.substr(0, 254)}});

    // 32 bits, but past the longest timer Windows accepts: the longest change time, 24 days and more.
    for (const auto& [typed, stored] : Keys{{"", "0"}, {"4294967295", "2147483"}, {"2147484", "2147483"}}) {
        ChangeAndOk([typed = typed](HWND dialog) { Type(dialog, IDC_CHANGE_TIME, typed); });
        EXPECT_EQ(settings_file::Read("ChangeTime"), stored) << "typed \"" << typed << '"';
    }
}

using ConfigDialogStoredSettings = ConfigDialog;

TEST_F(ConfigDialogStoredSettings, StoredChoicesOpenAsTheyAreAndOkKeepsThem)
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

    ChangeAndOk([](HWND dialog) {
        EXPECT_EQ(TextOf(dialog, IDC_CHANGE_TIME), "42");
        EXPECT_EQ(ControlsThat(IsChecked, dialog),
                  (Ids{IDC_BACKGROUND_GRADIENT, IDC_MOVE_OFF, IDC_ORDER_RANDOM, IDC_CHANGE_POS, IDC_SIZE_SCREEN,
                       IDC_PROPORTIONAL, IDC_PLAY_MIDI, IDC_LOOP_MIDI, IDC_PLAY_WAVE, IDC_TILES}));
        EXPECT_EQ(ControlsThat(IsDisabled, dialog),
                  (Ids{IDC_WIPE_EFFECT, IDC_CENTERED, IDC_TILES, IDC_MOVE_ON, IDC_MOVE_OFF, IDC_PICTURES, IDC_SPEED,
                       IDC_BROWSE_BITMAP, IDC_BITMAP_FILE}));
        EXPECT_EQ(ShownEntry(dialog, IDC_SPEED), "40");
        EXPECT_EQ(ShownEntry(dialog, IDC_STYLE), kGreyStyle);
        EXPECT_EQ(TextOf(dialog, IDC_BITMAP_FILE), "C:\\a.bmp");
        EXPECT_EQ(TextOf(dialog, IDC_MIDI_FILE), "C:\\m.mid");
        EXPECT_EQ(TextOf(dialog, IDC_WAVE_FILE), "C:\\w.wav");
    });
    EXPECT_EQ(StoredKeys(), stored);
}

TEST_F(ConfigDialogStoredSettings, HandEditedValuesShowTheNearestEntryButTheScaleIsCarriedThrough)
{
    WriteKeys({{"Background", "3"}, {"Pictures", "12"}, {"Speed", "99"}, {"Style", "7"}, {"Scale", "40"}});
    ChangeAndOk([](HWND dialog) {
        EXPECT_EQ(ControlsThat(IsChecked, dialog),  // no button stands for background 3
                  (Ids{IDC_BACKGROUND_BLACK, IDC_MOVE_ON, IDC_ORDER_SEQUENTIAL, IDC_SIZE_ORIGINAL}));
        EXPECT_EQ(ShownEntry(dialog, IDC_PICTURES), "9");
        EXPECT_EQ(ShownEntry(dialog, IDC_SPEED), "max.");
        EXPECT_EQ(ShownEntry(dialog, IDC_STYLE), kGreyStyle);
    });
    ExpectStored({{"Background", "0"}, {"Pictures", "8"}, {"Speed", "10"}, {"Style", "1"}, {"Scale", "40"}});
}

using ConfigDialogFileChooser = ConfigDialog;

TEST_F(ConfigDialogFileChooser, StartsAtTheFieldsFileAndAPickFillsTheFieldButOnlyOkCommitsIt)
{
    const std::string old = TestFile("my pic.bmp");
    WriteKeys({{"OwnBitmap", old}, {"Background", "5"}});
    // A folder no chooser has shown before, so that only the field can lead there.
    const std::string folder = "pictures " + std::to_string(GetCurrentProcessId());
    const std::string typed = TestFile("my pic.bmp", folder);
    const std::string picked = TestFile("other.bmp", folder);
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    ASSERT_EQ(TextOf(dialog, IDC_BITMAP_FILE), old);
    Type(dialog, IDC_BITMAP_FILE, typed);

    HWND chooser = OpenModal(dialog, IDC_BROWSE_BITMAP);
    ASSERT_NE(chooser, nullptr);
    EXPECT_EQ(TextOf(chooser), "Bitmap-Datei laden");
    EXPECT_EQ(TextOf(chooser, kChooserFolder), folder);
    EXPECT_EQ(TextOf(chooser, kChooserName), "my pic.bmp");
    EXPECT_EQ(TextOf(chooser, kChooserTypes), "Bitmap-Datei (*.bmp)");
    ASSERT_TRUE(CloseModal(chooser, IDCANCEL));
    EXPECT_TRUE(StoredBecomes("OwnBitmap_tmp", typed)) << "a cancelled chooser keeps the field and remembers it";
    EXPECT_EQ(TextOf(dialog, IDC_BITMAP_FILE), typed);

    chooser = OpenModal(dialog, IDC_BROWSE_BITMAP);
    ASSERT_NE(chooser, nullptr);
    Type(chooser, kChooserName, "other.bmp");  // a name alone is found in the folder shown
    ASSERT_TRUE(CloseModal(chooser, IDOK));
    EXPECT_TRUE(StoredBecomes("OwnBitmap_tmp", picked));
    EXPECT_EQ(TextOf(dialog, IDC_BITMAP_FILE), picked);
    EXPECT_EQ(ClickAndWaitForExit(dialog, IDCANCEL), 0u);
    EXPECT_EQ(settings_file::Read("OwnBitmap"), old);
}

TEST_F(ConfigDialogFileChooser, MusicAndSoundStartOnTheirPatternAndOkCommitsThePicks)
{
    const std::string tune = TestFile("tune.mid");
    const std::string sound = TestFile("click.wav");
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    Click(dialog, IDC_PLAY_MIDI);
    Click(dialog, IDC_PLAY_WAVE);

    const struct {
        int button, field;
        const char *title, *pattern, *types, *workingKey;
        std::string file;
    } picks[] = {
        {IDC_BROWSE_MIDI, IDC_MIDI_FILE, "Midi-Datei laden", "*.mid", "Midi-Datei (*.mid)", "MidiFile_tmp", tune},
        {IDC_BROWSE_WAVE, IDC_WAVE_FILE, "Wave-Datei laden", "*.wav", "Wave-Datei (*.wav)", "WaveFile_tmp", sound},
    };
    for (const auto& pick : picks) {
        HWND chooser = OpenModal(dialog, pick.button);
        ASSERT_NE(chooser, nullptr) << pick.title;
        EXPECT_EQ(TextOf(chooser), pick.title);
        EXPECT_EQ(TextOf(chooser, kChooserName), pick.pattern) << "an empty field starts on the pattern";
        EXPECT_EQ(TextOf(chooser, kChooserTypes), pick.types);
        Type(chooser, kChooserName, pick.file);
        ASSERT_TRUE(CloseModal(chooser, IDOK));
        ASSERT_TRUE(StoredBecomes(pick.workingKey, pick.file));
        EXPECT_EQ(TextOf(dialog, pick.field), pick.file);
    }
    EXPECT_EQ(ClickAndWaitForExit(dialog, IDOK), 1u);
    ExpectStored({{"MidiFile", tune}, {"WaveFile", sound}, {"PlayMidi", "1"}, {"PlayWave", "1"}});
}

using ConfigDialogColours = ConfigDialog;

TEST_F(ConfigDialogColours, CancelKeepsNothingButAChosenColoursWorkingCopyAndOkCommitsIt)
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
    Click(dialog, IDC_SIZE_SCREEN);
    Click(dialog, IDC_BACKGROUND_BLUE);
    EXPECT_EQ(ClickAndWaitForExit(dialog, IDCANCEL), 0u);
    ExpectStored({{"Color1", "255"},
                  {"Color1_tmp", "16711680"},
                  {"ChangeTime", kMissing},
                  {"FitDesktop", kMissing},
                  {"Background", kMissing}});

    ChangeAndOk([](HWND dialog) {
        EXPECT_EQ(settings_file::Read("Color1_tmp"), "255") << "opening starts again from the committed colour";
        Click(dialog, IDC_BACKGROUND_GRADIENT);
        ASSERT_TRUE(ChooseColour(OpenModal(dialog, IDC_COLOR_FROM), "0", "0", "255"));
        ASSERT_TRUE(StoredBecomes("Color1_tmp", "16711680"));
        ASSERT_TRUE(ChooseColour(OpenModal(dialog, IDC_COLOR_TO), "0", "255", "0"));
        ASSERT_TRUE(StoredBecomes("Color2_tmp", "65280"));
    });
    ExpectStored({{"Color1", "16711680"}, {"Color1_tmp", "16711680"}, {"Color2", "65280"}, {"Color2_tmp", "65280"},
                  {"Background", "6"}});
}

using ConfigDialogEnding = ConfigDialog;

TEST_F(ConfigDialogEnding, EscEndsWithZeroWritingOnlyTheWorkingColoursAndEnterWithOne)
{
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    PressKey(dialog, IDC_CHANGE_TIME, VK_ESCAPE);
    EXPECT_EQ(saver_->WaitForExit(), 0u);
    EXPECT_EQ(StoredKeys(), (Keys{{"Color1_tmp", "0"}, {"Color2_tmp", "0"}}));

    dialog = Open();
    ASSERT_NE(dialog, nullptr);
    PressKey(dialog, IDC_CHANGE_TIME, VK_RETURN);
    EXPECT_EQ(saver_->WaitForExit(), 1u) << "Enter presses the default button, OK";
}

// The text of a message box of another program.
std::string MessageText(HWND box)
{
    std::string text;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char windowClass[16] = {};
        GetClassNameA(child, windowClass, sizeof windowClass);
        if (lstrcmpiA(windowClass, "Static") == 0) text += TextOf(child);
    }
    return text;
}

// OK on settings that cannot be stored: a box says why, the dialog stays, what was stored stays.
void ExpectOkRefusedWithReason(HWND dialog, DWORD saverProcess, const char* reason = "schreibgesch\xFCtzt")
{
    ClickWithoutWaiting(dialog, IDOK);
    HWND box = WaitForOwnedDialog(dialog);
    ASSERT_NE(box, nullptr) << "a box tells the user";
    const std::string text = MessageText(box);
    EXPECT_NE(text.find("Die Einstellungen konnten nicht gespeichert werden."), std::string::npos) << text;
    EXPECT_NE(text.find(reason), std::string::npos) << text;
    EXPECT_NE(text.find("tavrixsaver.ini"), std::string::npos) << text;
    EXPECT_TRUE(CloseModal(box, IDOK));
    EXPECT_TRUE(IsWindow(dialog)) << "the dialog stays open";
    DWORD owner = 0;
    GetWindowThreadProcessId(dialog, &owner);
    EXPECT_EQ(owner, saverProcess);
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
    ExpectOkRefusedWithReason(dialog, saver_->Id());
    EXPECT_EQ(settings_file::Text(), stored);

    SetFileAttributesA(settings_file::Path().c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ClickAndWaitForExit(dialog, IDOK), 1u) << "once the file may be written, OK stores";
    EXPECT_EQ(settings_file::Read("ChangeTime"), "7");
}

TEST_F(ConfigDialogEnding, OkWhereTheWindowsFolderCannotBeWrittenSaysSo)
{
    ASSERT_TRUE(settings_file::SetWindowsFolderWritable(false));
    ScopeExit writable([] { settings_file::SetWindowsFolderWritable(true); });
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    ExpectOkRefusedWithReason(dialog, saver_->Id());
    EXPECT_FALSE(settings_file::Exists());
    EXPECT_EQ(ClickAndWaitForExit(dialog, IDCANCEL), 0u);
}

// A pipe where the settings file should be: any read from it would wait for good.
TEST_F(ConfigDialogEnding, ASettingsFileThatIsAPipeIsNeverReadTheDialogSaysSoAndTheSaverRunsOnItsDefaults)
{
    const UnixFifo pipe(UnixPathOf(settings_file::Path()));
    ASSERT_TRUE(pipe.Made());
    const UniqueFile held = pipe.HoldOpen();
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(TextOf(dialog, IDC_CHANGE_TIME), "10") << "the defaults";
    ExpectOkRefusedWithReason(dialog, saver_->Id(), "keine gew\xF6hnliche Datei");
    EXPECT_EQ(ClickAndWaitForExit(dialog, IDCANCEL), 0u);

    SaverProcess saver(SaverPath(), "/s");
    HWND window = WaitForSaverWindow(saver);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(WaitUntil(
        [&] {
            PostMessageA(window, WM_KEYDOWN, 'A', 0);
            return saver.WaitForExit(100) != STILL_ACTIVE;
        },
        10000));
    EXPECT_EQ(saver.WaitForExit(0), 0u);
}

TEST_F(ConfigDialogEnding, TheConfigureCommandHasTheForegroundWindowOwnTheDialogAndNoArgumentsNone)
{
    // A shown window of the test program, in the foreground as Display Properties would be.
    const std::unique_ptr<std::remove_pointer_t<HWND>, decltype(&DestroyWindow)> display(
        CreateWindowExA(0, "STATIC", "Display properties", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200,
                        nullptr, nullptr, GetModuleHandleA(nullptr), nullptr),
        &DestroyWindow);
    SetForegroundWindow(display.get());
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == display.get(); }));

    const std::pair<const char*, HWND> cases[] = {{"/c", display.get()}, {"/c:1234", display.get()}, {"", nullptr}};
    for (const auto& [arguments, owner] : cases) {
        SCOPED_TRACE(std::string("arguments \"") + arguments + "\"");
        saver_ = std::make_unique<SaverProcess>(SaverPath(), arguments);
        HWND dialog = nullptr;
        PumpUntil([&] {
            dialog = FindWindowA("#32770", kDialogTitle);
            return (dialog != nullptr && IsWindowVisible(dialog)) || !saver_->Running();
        });
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner);
        Press(dialog, IDCANCEL);
        PumpUntil([&] { return !saver_->Running(); });
        EXPECT_EQ(saver_->WaitForExit(), 0u);
        SetForegroundWindow(display.get());
    }
}
