// Driving another program's dialogs as a user would: reading their controls, clicking, choosing, typing.
#include "tests/support/dialog_driver.h"

#include "tests/support/saver_process.h"

namespace dialog_driver {

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
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (found = FindWindowExA(nullptr, nullptr, "#32770", nullptr); found != nullptr;
                 found = FindWindowExA(nullptr, found, "#32770", nullptr)) {
                if (GetWindow(found, GW_OWNER) == owner && IsWindowVisible(found)) return true;
            }
            return !IsWindow(owner);
        },
        timeoutMs);
    return found;
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

std::string ShownEntry(HWND dialog, int id)
{
    const LRESULT selection = SendMessageA(GetDlgItem(dialog, id), CB_GETCURSEL, 0, 0);
    const std::vector<std::string> entries = ListEntries(dialog, id);
    return selection >= 0 && static_cast<size_t>(selection) < entries.size() ? entries[static_cast<size_t>(selection)]
                                                                             : std::string();
}

}  // namespace dialog_driver
