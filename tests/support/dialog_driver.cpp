// Driving another program's dialogs as a user would: reading their controls, clicking, choosing, typing.
#include "tests/support/dialog_driver.h"

#include "tests/support/saver_process.h"

namespace dialog_driver {

namespace {

struct OwnedSearch {
    HWND owner;
    HWND found;
};

BOOL CALLBACK MatchOwned(HWND window, LPARAM lParam)
{
    auto* search = reinterpret_cast<OwnedSearch*>(lParam);
    char windowClass[16] = {};
    GetClassNameA(window, windowClass, sizeof(windowClass));
    if (lstrcmpA(windowClass, "#32770") != 0 || GetWindow(window, GW_OWNER) != search->owner ||
        !IsWindowVisible(window)) {
        return TRUE;
    }
    search->found = window;
    return FALSE;
}

}  // namespace

bool WaitUntilShown(HWND window, DWORD timeoutMs)
{
    return WaitUntil([&] { return !IsWindow(window) || IsWindowVisible(window); }, timeoutMs) &&
           IsWindowVisible(window);
}

bool WaitUntilGone(HWND window, DWORD timeoutMs)
{
    return WaitUntil([&] { return !IsWindow(window); }, timeoutMs);
}

HWND WaitForOwnedDialog(HWND owner, DWORD timeoutMs)
{
    OwnedSearch search = {owner, nullptr};
    WaitUntil(
        [&] {
            EnumWindows(MatchOwned, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr || !IsWindow(owner);
        },
        timeoutMs);
    return search.found;
}

// GetWindowTextA sees nothing of another program's controls; WM_GETTEXT goes to the control itself.
std::string TextOf(HWND window)
{
    LRESULT length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    LRESULT copied = SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

std::string TextOf(HWND dialog, int id) { return TextOf(GetDlgItem(dialog, id)); }

bool IsChecked(HWND dialog, int id)
{
    return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool IsEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

void Click(HWND dialog, int id)
{
    SendMessageTimeoutA(GetDlgItem(dialog, id), BM_CLICK, 0, 0, SMTO_NORMAL, 10000, nullptr);
}

void ClickWithoutWaiting(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

void Press(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

HWND OpenModal(HWND dialog, int id, DWORD timeoutMs)
{
    ClickWithoutWaiting(dialog, id);
    return WaitForOwnedDialog(dialog, timeoutMs);
}

bool CloseModal(HWND modal, int id, DWORD timeoutMs)
{
    Press(modal, id);
    return WaitUntilGone(modal, timeoutMs);
}

// The dialog's own message loop turns keys such as Esc and Enter on its controls into its commands.
void PressKey(HWND dialog, int id, WPARAM key)
{
    HWND control = GetDlgItem(dialog, id);
    LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(static_cast<UINT>(key), MAPVK_VK_TO_VSC)) << 16;
    PostMessageA(control, WM_KEYDOWN, key, scan | 1);
    PostMessageA(control, WM_KEYUP, key, scan | 1 | (3u << 30));
}

void Type(HWND dialog, int id, const std::string& text)
{
    SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// Under Wine the ANSI CB_GETLBTEXT brings only an entry's first character across programs;
// the wide one brings all of it, which is then put back into the ANSI code page.
std::vector<std::string> ListEntries(HWND dialog, int id)
{
    HWND list = GetDlgItem(dialog, id);
    LRESULT count = SendMessageW(list, CB_GETCOUNT, 0, 0);
    std::vector<std::string> entries;
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = SendMessageW(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        std::wstring wide(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
        LRESULT copied = SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&wide[0]));
        wide.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
        std::string text(wide.size() * 2 + 1, '\0');
        int bytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), &text[0],
                                        static_cast<int>(text.size()), nullptr, nullptr);
        text.resize(bytes > 0 ? static_cast<size_t>(bytes) : 0);
        entries.push_back(text);
    }
    return entries;
}

int ListSelection(HWND dialog, int id)
{
    return static_cast<int>(SendMessageA(GetDlgItem(dialog, id), CB_GETCURSEL, 0, 0));
}

std::string ShownEntry(HWND dialog, int id)
{
    int selection = ListSelection(dialog, id);
    std::vector<std::string> entries = ListEntries(dialog, id);
    if (selection < 0 || static_cast<size_t>(selection) >= entries.size()) return {};
    return entries[static_cast<size_t>(selection)];
}

// A choice with the mouse selects the entry and then tells the dialog.
void SelectListEntry(HWND dialog, int id, int index)
{
    HWND list = GetDlgItem(dialog, id);
    SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

}  // namespace dialog_driver
