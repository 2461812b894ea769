// The configuration dialog driven as a user drives it: what it shows, how its switches act, what OK and Cancel keep.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/saver_process.h"
#include "tests/support/settings_file.h"

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
    std::string folder = kTestFolder;
    CreateDirectoryA(folder.c_str(), nullptr);
    if (!subfolder.empty()) {
        folder += "\\" + subfolder;
        CreateDirectoryA(folder.c_str(), nullptr);
    }
    std::string path = folder + "\\" + name;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, "tavrix", 6, &written, nullptr);
    CloseHandle(file);
    return path;
}

// Every key=value line of the settings file as it is on disk.
std::map<std::string, std::string> StoredKeys()
{
    std::map<std::string, std::string> keys;
    std::string text = settings_file::Text();
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t equals = line.find('=');
        if (equals != std::string::npos) keys[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return keys;
}

// The choosers write their working keys while the dialog stays open.
bool StoredBecomes(const char* key, const std::string& value)
{
    return WaitUntil([&] { return settings_file::Read(key) == value; }, 5000);
}

std::string Repeated(char c, size_t count) { return std::string(count, c); }

class ConfigDialog : public testing::Test {
protected:
    void SetUp() override { settings_file::Remove(); }

    // Starts the saver to be configured; its dialog once it has filled its controls, or null.
    // The first window after an idle spell can take Wine several seconds, hence the generous wait.
    HWND Open(const std::string& arguments = "/c")
    {
        saver_.reset();
        saver_ = std::make_unique<SaverProcess>(SaverPath(), arguments);
        return Shown(saver_->WaitForWindow("#32770", kDialogTitle, 30000));
    }

    // A file chooser of the saver by its title, once shown.
    HWND FileChooser(const char* title) { return Shown(saver_->WaitForWindow("#32770", title)); }

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

private:
    static HWND Shown(HWND window) { return window != nullptr && WaitUntilShown(window) ? window : nullptr; }
};

void ExpectChecked(HWND dialog, std::initializer_list<int> ids, bool checked)
{
    for (int id : ids) EXPECT_EQ(IsChecked(dialog, id), checked) << "control " << id;
}

void ExpectEnabled(HWND dialog, std::initializer_list<int> ids, bool enabled)
{
    for (int id : ids) EXPECT_EQ(IsEnabled(dialog, id), enabled) << "control " << id;
}

}  // namespace

// --- What the dialog shows -------------------------------------------------

TEST_F(ConfigDialog, WithoutSettingsShowsTheDefaults)
{
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);

    EXPECT_EQ(TextOf(dialog, IDC_CHANGE_TIME), "10");
    ExpectChecked(dialog, {IDC_BACKGROUND_BLACK, IDC_MOVE_ON, IDC_ORDER_SEQUENTIAL, IDC_SIZE_ORIGINAL}, true);
    ExpectChecked(dialog,
                  {IDC_BACKGROUND_BLUE, IDC_BACKGROUND_WHITE, IDC_BACKGROUND_DESKTOP, IDC_BACKGROUND_BITMAP,
                   IDC_BACKGROUND_GRADIENT, IDC_MOVE_OFF, IDC_ORDER_RANDOM, IDC_SIZE_SCREEN},
                  false);
    ExpectChecked(dialog,
                  {IDC_CHANGE_POS, IDC_WIPE_EFFECT, IDC_TILES, IDC_CENTERED, IDC_PROPORTIONAL, IDC_PLAY_MIDI,
                   IDC_LOOP_MIDI, IDC_PLAY_WAVE},
                  false);
    EXPECT_EQ(ListSelection(dialog, IDC_SPEED), 9);
    EXPECT_EQ(ShownEntry(dialog, IDC_SPEED), "100");
    EXPECT_EQ(ShownEntry(dialog, IDC_PICTURES), "1");
    EXPECT_EQ(ShownEntry(dialog, IDC_STYLE), kColourStyle);
    EXPECT_EQ(TextOf(dialog, IDC_BITMAP_FILE), "");
    EXPECT_EQ(TextOf(dialog, IDC_MIDI_FILE), "");
    EXPECT_EQ(TextOf(dialog, IDC_WAVE_FILE), "");
    EXPECT_EQ(ClickAndWaitForExit(dialog, IDCANCEL), 0u);
}

TEST_F(ConfigDialog, WithoutSettingsEnablesOnlyWhatTheDefaultsUse)
{
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);

    ExpectEnabled(dialog,
                  {IDC_CENTERED, IDC_MOVE_ON, IDC_MOVE_OFF, IDC_PICTURES, IDC_SPEED, IDC_CHANGE_TIME, IDC_STYLE,
                   IDC_BACKGROUND_BLACK, IDC_BACKGROUND_DESKTOP, IDC_BACKGROUND_BITMAP, IDC_BACKGROUND_GRADIENT,
                   IDC_PLAY_MIDI, IDC_PLAY_WAVE, IDC_SIZE_ORIGINAL, IDC_SIZE_SCREEN},
                  true);
    ExpectEnabled(dialog,
                  {IDC_WIPE_EFFECT, IDC_TILES, IDC_PROPORTIONAL, IDC_BROWSE_BITMAP, IDC_BITMAP_FILE, IDC_COLOR_FROM,
                   IDC_COLOR_TO, IDC_BROWSE_MIDI, IDC_MIDI_FILE, IDC_LOOP_MIDI, IDC_BROWSE_WAVE, IDC_WAVE_FILE},
                  false);
}

TEST_F(ConfigDialog, ListsOfferTheirEntries)
{
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);

    EXPECT_EQ(ListEntries(dialog, IDC_SPEED),
              (std::vector<std::string>{"10", "20", "30", "40", "50", "60", "70", "80", "90", "100", "max."}));
    EXPECT_EQ(ListEntries(dialog, IDC_PICTURES),
              (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "7", "8", "9"}));
    EXPECT_EQ(ListEntries(dialog, IDC_STYLE), (std::vector<std::string>{kColourStyle, kGreyStyle}));
}

TEST_F(ConfigDialog, GermanTextsReadBackInWindows1252)
{
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);

    EXPECT_EQ(TextOf(dialog), kDialogTitle);
    EXPECT_EQ(TextOf(dialog, IDC_SIZE_ORIGINAL), "Originalgr\xF6\xDF" "e");
    EXPECT_EQ(TextOf(dialog, IDC_SIZE_SCREEN), "Bildschirmgr\xF6\xDF" "e");
    EXPECT_EQ(TextOf(dialog, IDC_BACKGROUND_WHITE), "Farbverlauf wei\xDF");
    EXPECT_EQ(TextOf(dialog, IDC_ORDER_RANDOM), "zuf\xE4llig");
}

// --- How the switches act on each other -----------------------------------

using ConfigDialogSwitches = ConfigDialog;

TEST_F(ConfigDialogSwitches, EachSwitchEnablesItsControls)
{
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);

    Click(dialog, IDC_BACKGROUND_BITMAP);
    ExpectEnabled(dialog, {IDC_BROWSE_BITMAP, IDC_BITMAP_FILE, IDC_TILES}, true);
    ExpectEnabled(dialog, {IDC_WIPE_EFFECT, IDC_COLOR_FROM, IDC_COLOR_TO}, false);

    Click(dialog, IDC_BACKGROUND_GRADIENT);
    ExpectEnabled(dialog, {IDC_COLOR_FROM, IDC_COLOR_TO}, true);
    ExpectEnabled(dialog, {IDC_BROWSE_BITMAP, IDC_BITMAP_FILE, IDC_TILES, IDC_WIPE_EFFECT}, false);

    Click(dialog, IDC_BACKGROUND_DESKTOP);
    ExpectEnabled(dialog, {IDC_WIPE_EFFECT}, true);
    ExpectEnabled(dialog, {IDC_COLOR_FROM, IDC_COLOR_TO}, false);

    Click(dialog, IDC_PLAY_MIDI);
    ExpectEnabled(dialog, {IDC_BROWSE_MIDI, IDC_MIDI_FILE, IDC_LOOP_MIDI}, true);
    Click(dialog, IDC_PLAY_WAVE);
    ExpectEnabled(dialog, {IDC_BROWSE_WAVE, IDC_WAVE_FILE}, true);

    Click(dialog, IDC_MOVE_OFF);
    ExpectEnabled(dialog, {IDC_SPEED}, false);
    Click(dialog, IDC_MOVE_ON);
    ExpectEnabled(dialog, {IDC_SPEED}, true);

    Click(dialog, IDC_SIZE_SCREEN);
    ExpectEnabled(dialog, {IDC_PROPORTIONAL}, true);
    ExpectEnabled(dialog, {IDC_CENTERED}, false);
}

TEST_F(ConfigDialogSwitches, ScreenSizeForcesMotionOffAndOnePicture)
{
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    SelectListEntry(dialog, IDC_PICTURES, 3);
    ASSERT_EQ(ShownEntry(dialog, IDC_PICTURES), "4");

    Click(dialog, IDC_SIZE_SCREEN);

    ExpectChecked(dialog, {IDC_SIZE_SCREEN, IDC_MOVE_OFF}, true);
    ExpectChecked(dialog, {IDC_SIZE_ORIGINAL, IDC_MOVE_ON}, false);
    ExpectEnabled(dialog, {IDC_MOVE_ON, IDC_MOVE_OFF, IDC_PICTURES, IDC_SPEED}, false);
    EXPECT_EQ(ShownEntry(dialog, IDC_PICTURES), "1");

    EXPECT_EQ(ClickAndWaitForExit(dialog, IDOK), 1u);
    EXPECT_EQ(settings_file::Read("Move"), "0");
    EXPECT_EQ(settings_file::Read("Pictures"), "0");
    EXPECT_EQ(settings_file::Read("FitDesktop"), "1");
}

TEST_F(ConfigDialogSwitches, OriginalSizeGivesMotionBackButLeavesItOff)
{
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    Click(dialog, IDC_SIZE_SCREEN);

    Click(dialog, IDC_SIZE_ORIGINAL);

    ExpectEnabled(dialog, {IDC_MOVE_ON, IDC_MOVE_OFF, IDC_PICTURES}, true);
    EXPECT_TRUE(IsChecked(dialog, IDC_MOVE_OFF));
    EXPECT_FALSE(IsEnabled(dialog, IDC_SPEED)) << "the speed waits for the motion";

    Click(dialog, IDC_MOVE_ON);
    EXPECT_TRUE(IsEnabled(dialog, IDC_SPEED));
    EXPECT_EQ(ClickAndWaitForExit(dialog, IDOK), 1u);
    EXPECT_EQ(settings_file::Read("Move"), "1");
    EXPECT_EQ(settings_file::Read("FitDesktop"), "0");
}

TEST_F(ConfigDialogSwitches, WipeEffectCountsOnlyWithTheDesktop)
{
    ChangeAndOk([](HWND dialog) {
        Click(dialog, IDC_BACKGROUND_DESKTOP);
        Click(dialog, IDC_WIPE_EFFECT);
    });
    EXPECT_EQ(settings_file::Read("WipeEffect"), "1");
    EXPECT_EQ(settings_file::Read("Background"), "4");

    ChangeAndOk([](HWND dialog) {
        EXPECT_TRUE(IsChecked(dialog, IDC_WIPE_EFFECT)) << "the stored wipe comes back";
        Click(dialog, IDC_BACKGROUND_BITMAP);
        EXPECT_TRUE(IsChecked(dialog, IDC_WIPE_EFFECT)) << "disabling keeps the box as it was";
        EXPECT_FALSE(IsEnabled(dialog, IDC_WIPE_EFFECT));
    });
    EXPECT_EQ(settings_file::Read("WipeEffect"), "0");
    EXPECT_EQ(settings_file::Read("Background"), "5");

    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(IsChecked(dialog, IDC_WIPE_EFFECT));
}

TEST_F(ConfigDialogSwitches, LoopStaysChosenWhileMusicIsOff)
{
    ChangeAndOk([](HWND dialog) {
        Click(dialog, IDC_PLAY_MIDI);
        Click(dialog, IDC_LOOP_MIDI);
        Click(dialog, IDC_PLAY_MIDI);
        EXPECT_TRUE(IsChecked(dialog, IDC_LOOP_MIDI));
        EXPECT_FALSE(IsEnabled(dialog, IDC_LOOP_MIDI));
    });
    EXPECT_EQ(settings_file::Read("PlayMidi"), "0");
    EXPECT_EQ(settings_file::Read("LoopMidi"), "1");

    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(IsChecked(dialog, IDC_LOOP_MIDI));
    EXPECT_FALSE(IsEnabled(dialog, IDC_LOOP_MIDI));
}

TEST_F(ConfigDialogSwitches, TilesStayChosenWhileAnotherBackgroundIsOn)
{
    ChangeAndOk([](HWND dialog) {
        Click(dialog, IDC_BACKGROUND_BITMAP);
        Click(dialog, IDC_TILES);
        Click(dialog, IDC_BACKGROUND_BLACK);
        EXPECT_TRUE(IsChecked(dialog, IDC_TILES));
        EXPECT_FALSE(IsEnabled(dialog, IDC_TILES));
    });
    EXPECT_EQ(settings_file::Read("Background"), "0");
    EXPECT_EQ(settings_file::Read("Tiles"), "1");
}

// --- What typed fields store ------------------------------------------------

using ConfigDialogFields = ConfigDialog;

TEST_F(ConfigDialogFields, SecondsFieldStoresItsNumberOrZero)
{
    const std::pair<const char*, const char*> cases[] = {
        {"25", "25"}, {"", "0"}, {"4294967295", "4294967295"}, {"4294967296", "0"}, {"99999999999999999999", "0"},
    };
    for (const auto& [typed, stored] : cases) {
        SCOPED_TRACE(std::string("typed \"") + typed + "\"");
        ChangeAndOk([typed = typed](HWND dialog) { Type(dialog, IDC_CHANGE_TIME, typed); });
        EXPECT_EQ(settings_file::Read("ChangeTime"), stored);
    }
}

TEST_F(ConfigDialogFields, LongPathsAreCutTo254Characters)
{
    const std::string bitmap = "C:\\" + Repeated('b', 297) + ".bmp";
    const std::string midi = "C:\\" + Repeated('m', 297) + ".mid";
    const std::string wave = "C:\\" + Repeated('w', 297) + ".wav";
    ChangeAndOk([&](HWND dialog) {
        Click(dialog, IDC_BACKGROUND_BITMAP);
        Click(dialog, IDC_PLAY_MIDI);
        Click(dialog, IDC_PLAY_WAVE);
        Type(dialog, IDC_BITMAP_FILE, bitmap);
        Type(dialog, IDC_MIDI_FILE, midi);
        Type(dialog, IDC_WAVE_FILE, wave);
        ASSERT_EQ(TextOf(dialog, IDC_BITMAP_FILE), bitmap) << "the field itself takes the whole path";
    });
    EXPECT_EQ(settings_file::Read("OwnBitmap"), bitmap.substr(0, 254));
    EXPECT_EQ(settings_file::Read("MidiFile"), midi.substr(0, 254));
    EXPECT_EQ(settings_file::Read("WaveFile"), wave.substr(0, 254));
    EXPECT_EQ(settings_file::Read("OwnBitmap_tmp"), bitmap.substr(0, 254));
}

// --- What comes from the file and goes back to it ---------------------------

using ConfigDialogStoredSettings = ConfigDialog;

TEST_F(ConfigDialogStoredSettings, OkWithoutChangesWritesEveryKey)
{
    ChangeAndOk([](HWND) {});

    const std::map<std::string, std::string> expected = {
        {"ChangeTime", "10"},  {"Background", "0"},    {"Move", "1"},          {"ChangePos", "0"},
        {"Random", "0"},       {"Speed", "9"},         {"Scale", "9"},         {"Pictures", "0"},
        {"Style", "0"},        {"FitDesktop", "0"},    {"Proportional", "0"},  {"Centered", "0"},
        {"WipeEffect", "0"},   {"OwnBitmap", ""},      {"OwnBitmap_tmp", ""},  {"Color1", "0"},
        {"Color1_tmp", "0"},   {"Color2", "0"},        {"Color2_tmp", "0"},    {"MidiFile", ""},
        {"MidiFile_tmp", ""},  {"WaveFile", ""},       {"WaveFile_tmp", ""},   {"PlayMidi", "0"},
        {"PlayWave", "0"},     {"LoopMidi", "0"},      {"Tiles", "0"},
    };
    EXPECT_EQ(expected.size(), 27u);
    EXPECT_EQ(StoredKeys(), expected);
}

TEST_F(ConfigDialogStoredSettings, StoredChoicesOpenAsTheyAreAndOkKeepsThem)
{
    const std::map<std::string, std::string> stored = {
        {"ChangeTime", "42"},         {"Background", "6"},           {"Move", "0"},
        {"ChangePos", "1"},           {"Random", "1"},               {"Speed", "3"},
        {"Scale", "9"},               {"Pictures", "0"},             {"Style", "1"},
        {"FitDesktop", "1"},          {"Proportional", "1"},         {"Centered", "0"},
        {"WipeEffect", "0"},          {"OwnBitmap", "C:\\a.bmp"},    {"OwnBitmap_tmp", "C:\\a.bmp"},
        {"Color1", "255"},            {"Color1_tmp", "255"},         {"Color2", "65280"},
        {"Color2_tmp", "65280"},      {"MidiFile", "C:\\m.mid"},     {"MidiFile_tmp", "C:\\m.mid"},
        {"WaveFile", "C:\\w.wav"},    {"WaveFile_tmp", "C:\\w.wav"}, {"PlayMidi", "1"},
        {"PlayWave", "1"},            {"LoopMidi", "1"},             {"Tiles", "1"},
    };
    for (const auto& [key, value] : stored) settings_file::Write(key.c_str(), value);

    ChangeAndOk([](HWND dialog) {
        EXPECT_EQ(TextOf(dialog, IDC_CHANGE_TIME), "42");
        ExpectChecked(dialog,
                      {IDC_BACKGROUND_GRADIENT, IDC_MOVE_OFF, IDC_ORDER_RANDOM, IDC_CHANGE_POS, IDC_SIZE_SCREEN,
                       IDC_PROPORTIONAL, IDC_PLAY_MIDI, IDC_LOOP_MIDI, IDC_PLAY_WAVE, IDC_TILES},
                      true);
        ExpectChecked(dialog, {IDC_BACKGROUND_BLACK, IDC_MOVE_ON, IDC_ORDER_SEQUENTIAL, IDC_SIZE_ORIGINAL}, false);
        ExpectEnabled(dialog, {IDC_COLOR_FROM, IDC_COLOR_TO, IDC_PROPORTIONAL, IDC_MIDI_FILE, IDC_WAVE_FILE}, true);
        ExpectEnabled(dialog, {IDC_SPEED, IDC_TILES, IDC_BITMAP_FILE, IDC_CENTERED}, false);
        EXPECT_EQ(ShownEntry(dialog, IDC_SPEED), "40");
        EXPECT_EQ(ShownEntry(dialog, IDC_STYLE), kGreyStyle);
        EXPECT_EQ(TextOf(dialog, IDC_BITMAP_FILE), "C:\\a.bmp");
        EXPECT_EQ(TextOf(dialog, IDC_MIDI_FILE), "C:\\m.mid");
        EXPECT_EQ(TextOf(dialog, IDC_WAVE_FILE), "C:\\w.wav");
    });
    EXPECT_EQ(StoredKeys(), stored);
}

TEST_F(ConfigDialogStoredSettings, CancelCommitsNothing)
{
    settings_file::Write("ChangeTime", "42");
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    Type(dialog, IDC_CHANGE_TIME, "77");
    Click(dialog, IDC_SIZE_SCREEN);
    Click(dialog, IDC_BACKGROUND_BLUE);

    EXPECT_EQ(ClickAndWaitForExit(dialog, IDCANCEL), 0u);
    EXPECT_EQ(settings_file::Read("ChangeTime"), "42");
    EXPECT_EQ(settings_file::Read("FitDesktop"), kMissing);
    EXPECT_EQ(settings_file::Read("Background"), kMissing);
}

TEST_F(ConfigDialogStoredSettings, AnUnknownBackgroundOpensAsTheBlackScreen)
{
    settings_file::Write("Background", "3");
    ChangeAndOk([](HWND dialog) {
        ExpectChecked(dialog, {IDC_BACKGROUND_BLACK}, true);
        ExpectChecked(dialog,
                      {IDC_BACKGROUND_BLUE, IDC_BACKGROUND_WHITE, IDC_BACKGROUND_DESKTOP, IDC_BACKGROUND_BITMAP,
                       IDC_BACKGROUND_GRADIENT},
                      false);
    });
    EXPECT_EQ(settings_file::Read("Background"), "0");
}

TEST_F(ConfigDialogStoredSettings, TheScaleIsCarriedThroughUnchanged)
{
    for (const char* scale : {"4", "40"}) {
        SCOPED_TRACE(std::string("Scale=") + scale);
        settings_file::Write("Scale", scale);
        ChangeAndOk([](HWND dialog) { Click(dialog, IDC_MOVE_OFF); });
        EXPECT_EQ(settings_file::Read("Scale"), scale);
    }
}

TEST_F(ConfigDialogStoredSettings, IndexesBeyondTheListsShowAndStoreTheLastEntry)
{
    settings_file::Write("Pictures", "12");
    settings_file::Write("Speed", "99");
    settings_file::Write("Style", "7");

    ChangeAndOk([](HWND dialog) {
        EXPECT_EQ(ShownEntry(dialog, IDC_PICTURES), "9");
        EXPECT_EQ(ShownEntry(dialog, IDC_SPEED), "max.");
        EXPECT_EQ(ShownEntry(dialog, IDC_STYLE), kGreyStyle);
    });
    EXPECT_EQ(settings_file::Read("Pictures"), "8");
    EXPECT_EQ(settings_file::Read("Speed"), "10");
    EXPECT_EQ(settings_file::Read("Style"), "1");
}

// --- The file choosers ------------------------------------------------------

using ConfigDialogFileChooser = ConfigDialog;

TEST_F(ConfigDialogFileChooser, StartsInTheFieldsFolderWithItsFileName)
{
    // A folder no chooser has shown before, so that only the field can lead there.
    const std::string folder = "pictures " + std::to_string(GetCurrentProcessId());
    std::string picture = TestFile("my pic.bmp", folder);
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    Click(dialog, IDC_BACKGROUND_BITMAP);
    Type(dialog, IDC_BITMAP_FILE, picture);

    ClickWithoutWaiting(dialog, IDC_BROWSE_BITMAP);
    HWND chooser = FileChooser("Bitmap-Datei laden");
    ASSERT_NE(chooser, nullptr);
    EXPECT_EQ(TextOf(chooser, kChooserFolder), folder);
    EXPECT_EQ(TextOf(chooser, kChooserName), "my pic.bmp");
    EXPECT_EQ(TextOf(chooser, kChooserTypes), "Bitmap-Datei (*.bmp)");

    // Taking the offered name picks the file in that folder.
    Press(chooser, IDOK);
    ASSERT_TRUE(WaitUntilGone(chooser));
    EXPECT_TRUE(StoredBecomes("OwnBitmap_tmp", picture));
    EXPECT_EQ(TextOf(dialog, IDC_BITMAP_FILE), picture);
}

TEST_F(ConfigDialogFileChooser, AnEmptyFieldStartsOnThePattern)
{
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    Click(dialog, IDC_PLAY_WAVE);

    ClickWithoutWaiting(dialog, IDC_BROWSE_WAVE);
    HWND chooser = FileChooser("Wave-Datei laden");
    ASSERT_NE(chooser, nullptr);
    EXPECT_EQ(TextOf(chooser, kChooserName), "*.wav");
    EXPECT_EQ(TextOf(chooser, kChooserTypes), "Wave-Datei (*.wav)");

    Press(chooser, IDCANCEL);
    ASSERT_TRUE(WaitUntilGone(chooser));
    EXPECT_TRUE(StoredBecomes("WaveFile_tmp", ""));
    EXPECT_EQ(TextOf(dialog, IDC_WAVE_FILE), "");
}

TEST_F(ConfigDialogFileChooser, CancelKeepsTheFieldAndRemembersIt)
{
    std::string picture = TestFile("my pic.bmp");
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    Click(dialog, IDC_BACKGROUND_BITMAP);
    Type(dialog, IDC_BITMAP_FILE, picture);

    ClickWithoutWaiting(dialog, IDC_BROWSE_BITMAP);
    HWND chooser = FileChooser("Bitmap-Datei laden");
    ASSERT_NE(chooser, nullptr);
    Press(chooser, IDCANCEL);
    ASSERT_TRUE(WaitUntilGone(chooser));

    EXPECT_TRUE(StoredBecomes("OwnBitmap_tmp", picture));
    EXPECT_EQ(TextOf(dialog, IDC_BITMAP_FILE), picture);
    EXPECT_EQ(ClickAndWaitForExit(dialog, IDCANCEL), 0u);
    EXPECT_EQ(settings_file::Read("OwnBitmap"), kMissing);
}

TEST_F(ConfigDialogFileChooser, APickedFileFillsTheFieldButOnlyOkCommitsIt)
{
    std::string old = TestFile("my pic.bmp");
    std::string picked = TestFile("other.bmp");
    settings_file::Write("OwnBitmap", old);
    settings_file::Write("Background", "5");
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    ASSERT_EQ(TextOf(dialog, IDC_BITMAP_FILE), old);

    ClickWithoutWaiting(dialog, IDC_BROWSE_BITMAP);
    HWND chooser = FileChooser("Bitmap-Datei laden");
    ASSERT_NE(chooser, nullptr);
    Type(chooser, kChooserName, picked);
    Press(chooser, IDOK);
    ASSERT_TRUE(WaitUntilGone(chooser));

    EXPECT_TRUE(StoredBecomes("OwnBitmap_tmp", picked));
    EXPECT_EQ(TextOf(dialog, IDC_BITMAP_FILE), picked);
    EXPECT_EQ(ClickAndWaitForExit(dialog, IDCANCEL), 0u);
    EXPECT_EQ(settings_file::Read("OwnBitmap"), old);
}

TEST_F(ConfigDialogFileChooser, MusicAndSoundPickedAreCommittedByOk)
{
    std::string tune = TestFile("tune.mid");
    std::string sound = TestFile("click.wav");
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    Click(dialog, IDC_PLAY_MIDI);
    Click(dialog, IDC_PLAY_WAVE);

    ClickWithoutWaiting(dialog, IDC_BROWSE_MIDI);
    HWND chooser = FileChooser("Midi-Datei laden");
    ASSERT_NE(chooser, nullptr);
    EXPECT_EQ(TextOf(chooser, kChooserTypes), "Midi-Datei (*.mid)");
    Type(chooser, kChooserName, tune);
    Press(chooser, IDOK);
    ASSERT_TRUE(WaitUntilGone(chooser));
    ASSERT_TRUE(StoredBecomes("MidiFile_tmp", tune));

    ClickWithoutWaiting(dialog, IDC_BROWSE_WAVE);
    chooser = FileChooser("Wave-Datei laden");
    ASSERT_NE(chooser, nullptr);
    Type(chooser, kChooserName, sound);
    Press(chooser, IDOK);
    ASSERT_TRUE(WaitUntilGone(chooser));
    ASSERT_TRUE(StoredBecomes("WaveFile_tmp", sound));

    EXPECT_EQ(TextOf(dialog, IDC_MIDI_FILE), tune);
    EXPECT_EQ(TextOf(dialog, IDC_WAVE_FILE), sound);
    EXPECT_EQ(ClickAndWaitForExit(dialog, IDOK), 1u);
    EXPECT_EQ(settings_file::Read("MidiFile"), tune);
    EXPECT_EQ(settings_file::Read("WaveFile"), sound);
    EXPECT_EQ(settings_file::Read("PlayMidi"), "1");
    EXPECT_EQ(settings_file::Read("PlayWave"), "1");
}

// --- The colour chooser -----------------------------------------------------

namespace {

// Opens the colour chooser of "von" or "bis"; the chooser, or null.
HWND OpenColourChooser(HWND dialog, int button)
{
    ClickWithoutWaiting(dialog, button);
    return WaitForOwnedDialog(dialog);
}

void TypeColour(HWND chooser, int red, int green, int blue)
{
    Type(chooser, kRedField, std::to_string(red));
    Type(chooser, kGreenField, std::to_string(green));
    Type(chooser, kBlueField, std::to_string(blue));
}

}  // namespace

using ConfigDialogColours = ConfigDialog;

TEST_F(ConfigDialogColours, AChosenColourStaysAWorkingCopyUntilOk)
{
    settings_file::Write("Color1", "255");
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    Click(dialog, IDC_BACKGROUND_GRADIENT);

    HWND chooser = OpenColourChooser(dialog, IDC_COLOR_FROM);
    ASSERT_NE(chooser, nullptr);
    EXPECT_EQ(TextOf(chooser, kRedField), "255") << "the chooser starts on the current colour";
    EXPECT_EQ(TextOf(chooser, kBlueField), "0");
    TypeColour(chooser, 0, 0, 255);
    Press(chooser, IDOK);
    ASSERT_TRUE(WaitUntilGone(chooser));
    EXPECT_TRUE(StoredBecomes("Color1_tmp", "16711680"));

    EXPECT_EQ(ClickAndWaitForExit(dialog, IDCANCEL), 0u);
    EXPECT_EQ(settings_file::Read("Color1"), "255");
    EXPECT_EQ(settings_file::Read("Color1_tmp"), "16711680");

    dialog = Open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(settings_file::Read("Color1_tmp"), "255") << "opening starts again from the committed colour";
}

TEST_F(ConfigDialogColours, OkCommitsBothChosenColours)
{
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    Click(dialog, IDC_BACKGROUND_GRADIENT);

    HWND chooser = OpenColourChooser(dialog, IDC_COLOR_FROM);
    ASSERT_NE(chooser, nullptr);
    TypeColour(chooser, 0, 0, 255);
    Press(chooser, IDOK);
    ASSERT_TRUE(StoredBecomes("Color1_tmp", "16711680"));

    chooser = OpenColourChooser(dialog, IDC_COLOR_TO);
    ASSERT_NE(chooser, nullptr);
    TypeColour(chooser, 0, 255, 0);
    Press(chooser, IDOK);
    ASSERT_TRUE(StoredBecomes("Color2_tmp", "65280"));

    EXPECT_EQ(ClickAndWaitForExit(dialog, IDOK), 1u);
    EXPECT_EQ(settings_file::Read("Color1"), "16711680");
    EXPECT_EQ(settings_file::Read("Color1_tmp"), "16711680");
    EXPECT_EQ(settings_file::Read("Color2"), "65280");
    EXPECT_EQ(settings_file::Read("Color2_tmp"), "65280");
    EXPECT_EQ(settings_file::Read("Background"), "6");
}

TEST_F(ConfigDialogColours, ACancelledColourChooserChangesNothing)
{
    settings_file::Write("Color1", "255");
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    Click(dialog, IDC_BACKGROUND_GRADIENT);
    std::string before = settings_file::Text();

    HWND chooser = OpenColourChooser(dialog, IDC_COLOR_FROM);
    ASSERT_NE(chooser, nullptr);
    TypeColour(chooser, 0, 0, 255);
    Press(chooser, IDCANCEL);
    ASSERT_TRUE(WaitUntilGone(chooser));

    EXPECT_EQ(settings_file::Text(), before);
    EXPECT_EQ(ClickAndWaitForExit(dialog, IDOK), 1u);
    EXPECT_EQ(settings_file::Read("Color1"), "255");
    EXPECT_EQ(settings_file::Read("Color1_tmp"), "255");
}

// --- Ending the dialog and who owns it ---------------------------------------

using ConfigDialogEnding = ConfigDialog;

TEST_F(ConfigDialogEnding, OkEndsWithOneCancelAndEscWithZero)
{
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ClickAndWaitForExit(dialog, IDOK), 1u);

    dialog = Open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ClickAndWaitForExit(dialog, IDCANCEL), 0u);

    dialog = Open();
    ASSERT_NE(dialog, nullptr);
    PressKey(dialog, IDC_CHANGE_TIME, VK_ESCAPE);
    EXPECT_EQ(saver_->WaitForExit(), 0u);

    dialog = Open();
    ASSERT_NE(dialog, nullptr);
    PressKey(dialog, IDC_CHANGE_TIME, VK_RETURN);
    EXPECT_EQ(saver_->WaitForExit(), 1u) << "Enter presses the default button, OK";
}

TEST_F(ConfigDialogEnding, EscWritesNothingButTheWorkingColours)
{
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    PressKey(dialog, IDC_CHANGE_TIME, VK_ESCAPE);
    EXPECT_EQ(saver_->WaitForExit(), 0u);
    std::map<std::string, std::string> keys = StoredKeys();
    EXPECT_EQ(keys, (std::map<std::string, std::string>{{"Color1_tmp", "0"}, {"Color2_tmp", "0"}}));
}

namespace {

// A shown window of the test program, made the foreground window; it answers the saver's messages while waited on.
class ForegroundWindow {
public:
    ForegroundWindow()
        : window_(CreateWindowExA(0, "STATIC", "Display properties", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300,
                                  200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr))
    {
        SetForegroundWindow(window_);
        Pump();
    }
    ~ForegroundWindow() { DestroyWindow(window_); }
    ForegroundWindow(const ForegroundWindow&) = delete;
    ForegroundWindow& operator=(const ForegroundWindow&) = delete;

    HWND Handle() const { return window_; }

    static void Pump()
    {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    }

private:
    HWND window_;
};

// The dialog of the saver, waited for while the test's own window keeps answering.
HWND WaitForDialogPumping(SaverProcess& saver)
{
    HWND dialog = nullptr;
    WaitUntil(
        [&] {
            ForegroundWindow::Pump();
            dialog = FindWindowA("#32770", kDialogTitle);
            DWORD owner = 0;
            if (dialog != nullptr) GetWindowThreadProcessId(dialog, &owner);
            return (dialog != nullptr && owner == saver.Id() && IsWindowVisible(dialog)) || !saver.Running();
        },
        10000);
    return dialog;
}

}  // namespace

TEST_F(ConfigDialogEnding, TheConfigureCommandHasTheForegroundWindowOwnTheDialog)
{
    ForegroundWindow display;
    ASSERT_EQ(GetForegroundWindow(), display.Handle());

    for (const char* arguments : {"/c", "/c:1234"}) {
        SCOPED_TRACE(arguments);
        saver_ = std::make_unique<SaverProcess>(SaverPath(), arguments);
        HWND dialog = WaitForDialogPumping(*saver_);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), display.Handle());
        Press(dialog, IDCANCEL);
        WaitUntil(
            [&] {
                ForegroundWindow::Pump();
                return !saver_->Running();
            },
            10000);
        EXPECT_EQ(saver_->WaitForExit(), 0u);
        SetForegroundWindow(display.Handle());
    }
}

TEST_F(ConfigDialogEnding, WithoutArgumentsTheDialogHasNoOwner)
{
    ForegroundWindow display;
    saver_ = std::make_unique<SaverProcess>(SaverPath(), "");
    HWND dialog = WaitForDialogPumping(*saver_);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), nullptr);
    Press(dialog, IDCANCEL);
    EXPECT_EQ(saver_->WaitForExit(), 0u);
}
