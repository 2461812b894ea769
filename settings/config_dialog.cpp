// The configuration dialog 2003: shows the settings, keeps its controls consistent, saves on OK.
#include "settings/config_dialog.h"

#include <commdlg.h>

#include <algorithm>
#include <string>

#include "resources/resource_ids.h"
#include "settings/config_values.h"
#include "settings/saver_settings.h"
#include "win32/handles.h"

static_assert(kPathStorage == kPathCharacters + 1, "a file-name setting holds kPathCharacters and a NUL");

namespace {

constexpr DWORD kOpenFlags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST |
                             OFN_FILEMUSTEXIST | OFN_SHAREAWARE | OFN_NOREADONLYRETURN;
static_assert(kOpenFlags == 0xD80E, "the file chooser's flags");

constexpr DWORD kChooserBuffer = 256;
constexpr COLORREF kNoColor = 0xFFFFFFFF;  // the colour chooser was cancelled
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr int kCustomColors = 16;

// The ...A functions take Windows-1252 text, not the UTF-8 of this file.
constexpr const char* kStyleNames[kStyleEntries] = {
    "Quillmark, Farbe (ab 256 Farben)",
    "Quillmark, grau (f\xFC"
    "r 256 Farben)",
};

// --- Controls by id -------------------------------------------------------

bool IsChecked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

void SetChecked(HWND dialog, int id, bool checked)
{
    CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void SetEnabled(HWND dialog, int id, bool enabled)
{
    EnableWindow(GetDlgItem(dialog, id), enabled ? TRUE : FALSE);
}

UINT Flag(bool on)
{
    return on ? 1 : 0;
}

void AddEntry(HWND dialog, int id, const std::string& text)
{
    SendDlgItemMessageA(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Select(HWND dialog, int id, int index)
{
    SendDlgItemMessageA(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::intptr_t Selection(HWND dialog, int id)
{
    return SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0);
}

// The whole text, however long, so that the seconds field can see an overflow.
std::string ItemText(HWND dialog, int id)
{
    HWND item = GetDlgItem(dialog, id);
    int length = GetWindowTextLengthA(item);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    int copied = GetWindowTextA(item, &text[0], length + 1);
    text.resize(static_cast<std::size_t>(std::max(copied, 0)));
    return text;
}

// The hidden scale list cannot show a hand-set Scale beyond its entries; the dialog keeps it here.
void KeepScale(HWND dialog, UINT scale)
{
    SetWindowLongPtrA(dialog, DWLP_USER, static_cast<LONG_PTR>(scale));
}

UINT KeptScale(HWND dialog)
{
    return static_cast<UINT>(GetWindowLongPtrA(dialog, DWLP_USER));
}

// --- Showing the settings -------------------------------------------------

void FillLists(HWND dialog)
{
    for (unsigned i = 0; i < kSpeedEntries; ++i) {
        AddEntry(dialog, IDC_SCALE, SpeedEntry(i));
        AddEntry(dialog, IDC_SPEED, SpeedEntry(i));
    }
    for (unsigned i = 0; i < kPictureEntries; ++i) AddEntry(dialog, IDC_PICTURES, PictureEntry(i));
    for (const char* name : kStyleNames) AddEntry(dialog, IDC_STYLE, name);
}

// Only a hand-edited file holds an index beyond a list; a visible list shows its last entry.
void ShowNumber(HWND dialog, UINT value, const SettingControl& control)
{
    switch (control.type) {
    case ControlType::Seconds: SetDlgItemTextA(dialog, control.id, UnsignedText(value).c_str()); break;
    case ControlType::Check: SetChecked(dialog, control.id, value != 0); break;
    case ControlType::Choice:
        SetChecked(dialog, control.id, value != 0);
        SetChecked(dialog, control.other, value == 0);
        break;
    case ControlType::List:
        Select(dialog, control.id, int(ClampListIndex(value, unsigned(control.other))));
        break;
    case ControlType::HiddenList:
        Select(dialog, control.id, ScaleSelection(value));
        KeepScale(dialog, value);
        break;
    default: break;
    }
}

void ShowSetting(HWND dialog, const SaverSettings& settings, const SettingField& field)
{
    if (field.type == SettingType::Number) ShowNumber(dialog, settings.*field.number, field.control);
    if (field.type == SettingType::Path) SetDlgItemTextA(dialog, field.control.id, settings.*field.path);
}

void UpdateControls(HWND dialog);

void FillControls(HWND dialog, const SaverSettings& settings)
{
    FillLists(dialog);
    for (const SettingField& field : kSettingFields) ShowSetting(dialog, settings, field);
    SetChecked(dialog, BackgroundButton(settings.Background), true);
    UpdateControls(dialog);
}

// --- Keeping the controls consistent --------------------------------------

// Screen-sized pictures do not move, and there is room for one at a time.
void UpdateMovement(HWND dialog)
{
    bool screenSized = IsChecked(dialog, IDC_SIZE_SCREEN);
    if (screenSized) {
        SetChecked(dialog, IDC_MOVE_ON, false);
        SetChecked(dialog, IDC_MOVE_OFF, true);
        Select(dialog, IDC_PICTURES, 0);
    }
    SetEnabled(dialog, IDC_MOVE_ON, !screenSized);
    SetEnabled(dialog, IDC_MOVE_OFF, !screenSized);
    SetEnabled(dialog, IDC_PICTURES, !screenSized);
}

// Disabling never clears a box: the choice comes back with its switch.
void UpdateControls(HWND dialog)
{
    SetEnabled(dialog, IDC_WIPE_EFFECT, IsChecked(dialog, IDC_BACKGROUND_DESKTOP));
    SetEnabled(dialog, IDC_CENTERED, IsChecked(dialog, IDC_SIZE_ORIGINAL));
    SetEnabled(dialog, IDC_PROPORTIONAL, IsChecked(dialog, IDC_SIZE_SCREEN));
    SetEnabled(dialog, IDC_TILES, IsChecked(dialog, IDC_BACKGROUND_BITMAP));
    UpdateMovement(dialog);
    SetEnabled(dialog, IDC_SPEED, IsChecked(dialog, IDC_MOVE_ON));

    bool ownBitmap = IsChecked(dialog, IDC_BACKGROUND_BITMAP);
    SetEnabled(dialog, IDC_BROWSE_BITMAP, ownBitmap);
    SetEnabled(dialog, IDC_BITMAP_FILE, ownBitmap);
    bool gradient = IsChecked(dialog, IDC_BACKGROUND_GRADIENT);
    SetEnabled(dialog, IDC_COLOR_FROM, gradient);
    SetEnabled(dialog, IDC_COLOR_TO, gradient);
    bool midi = IsChecked(dialog, IDC_PLAY_MIDI);
    SetEnabled(dialog, IDC_BROWSE_MIDI, midi);
    SetEnabled(dialog, IDC_MIDI_FILE, midi);
    SetEnabled(dialog, IDC_LOOP_MIDI, midi);
    bool wave = IsChecked(dialog, IDC_PLAY_WAVE);
    SetEnabled(dialog, IDC_BROWSE_WAVE, wave);
    SetEnabled(dialog, IDC_WAVE_FILE, wave);
}

// --- Reading the controls on OK -------------------------------------------

UINT CheckedBackground(HWND dialog)
{
    for (const BackgroundButtonEntry& entry : kBackgroundButtons)
        if (IsChecked(dialog, entry.button)) return static_cast<UINT>(entry.value);
    return 0;
}

// A box that counts only with another button is 0 while that button is clear; a list
// that selects nothing (the scale list with a hand-set value) keeps the value it showed.
UINT ReadNumber(HWND dialog, const SettingControl& control, UINT shown)
{
    switch (control.type) {
    case ControlType::Seconds: return ParseSeconds(ItemText(dialog, control.id));
    case ControlType::Check:
        return Flag(IsChecked(dialog, control.id) && (!control.other || IsChecked(dialog, control.other)));
    case ControlType::Choice: return Flag(IsChecked(dialog, control.id));
    case ControlType::List: return StoredIndex(Selection(dialog, control.id), 0);
    case ControlType::HiddenList: return StoredIndex(Selection(dialog, control.id), KeptScale(dialog));
    default: return shown;
    }
}

void ReadSetting(HWND dialog, SaverSettings& settings, const SettingField& field)
{
    switch (field.type) {
    case SettingType::Number:
        settings.*field.number = ReadNumber(dialog, field.control, settings.*field.number);
        break;
    case SettingType::Path: CopyPathText(settings.*field.path, ItemText(dialog, field.control.id)); break;
    // The colours are not shown; the working copies hold what the choosers picked.
    case SettingType::Colour: settings.*field.colour = settings.*field.workingColour; break;
    }
}

void ReadControls(HWND dialog, SaverSettings& settings)
{
    for (const SettingField& field : kSettingFields) ReadSetting(dialog, settings, field);
    settings.Background = CheckedBackground(dialog);
}

// --- The choosers ---------------------------------------------------------

// The common dialogs' library, loaded only when a chooser opens: every start of the saver would
// otherwise load it, and the libraries it draws in, for nothing. A function that cannot be had
// answers as a cancelled chooser does.
class CommonDialogs {
public:
    CommonDialogs() : module_(LoadLibraryA("COMDLG32.DLL")) {}

    BOOL GetOpenFileName(OPENFILENAMEA* request) const
    {
        const auto function = Function<BOOL(WINAPI*)(OPENFILENAMEA*)>("GetOpenFileNameA");
        return function != nullptr && function(request);
    }

    BOOL ChooseColor(CHOOSECOLORA* request) const
    {
        const auto function = Function<BOOL(WINAPI*)(CHOOSECOLORA*)>("ChooseColorA");
        return function != nullptr && function(request);
    }

private:
    template <typename Pointer>
    Pointer Function(const char* name) const
    {
        if (!module_) return nullptr;
        return reinterpret_cast<Pointer>(reinterpret_cast<void*>(GetProcAddress(module_.get(), name)));
    }

    UniqueModule module_;
};

// The picked file's full path, or an empty text when the user cancels.
std::string AskForFile(HWND dialog, const SettingChooser& chooser, const char* current)
{
    ChooserStart start = ChooserStartFor(current, chooser.pattern);
    std::string filter = FilterPair(chooser.description, chooser.pattern);
    char file[kChooserBuffer] = {};
    char fileTitle[kChooserBuffer] = {};
    start.fileName.copy(file, kChooserBuffer - 1);

    OPENFILENAMEA request = {};
    request.lStructSize = OPENFILENAME_SIZE_VERSION_400A;  // the classic chooser, everywhere
    request.hwndOwner = dialog;
    request.lpstrFilter = filter.c_str();
    request.nFilterIndex = 1;
    request.lpstrFile = file;
    request.nMaxFile = kChooserBuffer;
    request.lpstrFileTitle = fileTitle;
    request.nMaxFileTitle = kChooserBuffer;
    request.lpstrInitialDir = start.directory.empty() ? nullptr : start.directory.c_str();
    request.lpstrTitle = chooser.title;
    request.Flags = kOpenFlags;
    if (!CommonDialogs().GetOpenFileName(&request)) return {};
    return file;
}

// The field's text is the starting point; the field and its working key end up with the result.
void BrowseFile(HWND dialog, SaverSettings& settings, const SettingField& field)
{
    char(&setting)[kPathStorage] = settings.*field.path;
    CopyPathText(setting, ItemText(dialog, field.control.id));
    std::string picked = AskForFile(dialog, field.chooser, setting);
    if (!picked.empty()) CopyPathText(setting, picked);
    SetDlgItemTextA(dialog, field.control.id, setting);
    WriteSettingsKey(field.workingKey, setting);
}

// The chosen colour, or kNoColor when the user cancels.
COLORREF AskForColor(HWND dialog, COLORREF start, const SaverSettings& settings)
{
    COLORREF custom[kCustomColors] = {settings.Color1_tmp, settings.Color2_tmp};
    std::fill(custom + 2, custom + kCustomColors, kWhite);

    CHOOSECOLORA request = {};
    request.lStructSize = sizeof request;
    request.hwndOwner = dialog;
    request.rgbResult = start;
    request.lpCustColors = custom;
    request.Flags = CC_RGBINIT;
    return CommonDialogs().ChooseColor(&request) ? request.rgbResult : kNoColor;
}

// A colour of the gradient ("von" or "bis"); it stays a working copy until OK.
void BrowseColor(HWND dialog, SaverSettings& settings, const SettingField& field)
{
    COLORREF& working = settings.*field.workingColour;
    COLORREF chosen = AskForColor(dialog, working, settings);
    if (chosen == kNoColor) return;
    working = chosen;
    WriteSettingsKey(field.workingKey, ColorText(chosen).c_str());
}

// The setting whose chooser the button opens, if it opens one.
const SettingField* FieldBrowsedBy(int button)
{
    for (const SettingField& field : kSettingFields)
        if (field.chooser.button != 0 && field.chooser.button == button) return &field;
    return nullptr;
}

void Browse(HWND dialog, SaverSettings& settings, const SettingField& field)
{
    if (field.type == SettingType::Colour)
        BrowseColor(dialog, settings, field);
    else
        BrowseFile(dialog, settings, field);
}

// --- Messages -------------------------------------------------------------

void ReportSaveFailure(HWND dialog, DWORD error)
{
    const std::string text = SaveFailureText(SettingsFilePath(), error);
    MessageBoxA(dialog, text.c_str(), "Bildschirmschoner Einstellungen", MB_OK | MB_ICONERROR);
}

// Only stored settings end the dialog with OK; otherwise the user hears why and may try again.
void Commit(HWND dialog, SaverSettings& settings)
{
    ReadControls(dialog, settings);
    if (!settings.Save()) {
        ReportSaveFailure(dialog, GetLastError());
        return;
    }
    EndDialog(dialog, 1);
}

INT_PTR OnInitDialog(HWND dialog)
{
    SaverSettings settings;
    settings.Load();
    FillControls(dialog, settings);
    return TRUE;
}

// Commands are told apart by id alone: OK, Cancel, a chooser's button; any other control re-checks
// the others.
INT_PTR OnCommand(HWND dialog, int id)
{
    SaverSettings settings;
    if (id == IDOK) {
        Commit(dialog, settings);
    } else if (id == IDCANCEL) {
        EndDialog(dialog, 0);
    } else if (const SettingField* field = FieldBrowsedBy(id)) {
        Browse(dialog, settings, *field);
    } else {
        UpdateControls(dialog);
    }
    return TRUE;
}

}  // namespace

BOOL PrepareConfigDialog(HINSTANCE)
{
    return TRUE;
}

INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: return OnInitDialog(dialog);
    case WM_COMMAND: return OnCommand(dialog, LOWORD(wParam));
    default: return FALSE;
    }
}
