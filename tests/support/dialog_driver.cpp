// Driving another program's dialogs as a user would: reading their controls, clicking, choosing, typing.
#include "tests/support/dialog_driver.h"

#include "tests/support/saver_process.h"
#include "tests/support/waiting.h"

namespace dialog_driver {

bool WaitUntilShown(HWND window)
{
    return WaitUntil([&] { return !IsWindow(window) || IsWindowVisible(window); }, 10000) &&
           IsWindowVisible(window);
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

std::string TextOf(HWND dialog, int id)
{
    return TextOf(GetDlgItem(dialog, id));
}

bool IsChecked(HWND dialog, int id)
{
    return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool IsEnabled(HWND dialog, int id)
{
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

namespace {

// Under Wine the ANSI CB_GETLBTEXT brings only an entry's first character across programs;
// the wide one brings all of it, which is then put back into the ANSI code page.
std::string EntryText(HWND list, LRESULT index)
{
    const LRESULT length = SendMessageW(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (index < 0 || length <= 0) return {};
    std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&wide[0]));
    std::string text(wide.size() * 2, '\0');
    const int bytes = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, &text[0],
                                          static_cast<int>(text.size()), nullptr, nullptr);
    text.resize(bytes > 0 ? static_cast<size_t>(bytes) - 1 : 0);
    return text;
}

}  // namespace

std::string ShownEntry(HWND dialog, int id)
{
    HWND list = GetDlgItem(dialog, id);
    return EntryText(list, SendMessageW(list, CB_GETCURSEL, 0, 0));
}

std::vector<std::string> Entries(HWND dialog, int id)
{
    HWND list = GetDlgItem(dialog, id);
    std::vector<std::string> entries;
    const LRESULT count = SendMessageW(list, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) entries.push_back(EntryText(list, i));
    return entries;
}

void Click(HWND dialog, int id)
{
    SendMessageTimeoutA(GetDlgItem(dialog, id), BM_CLICK, 0, 0, SMTO_NORMAL, 10000, nullptr);
}

void Press(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

HWND OpenModal(HWND dialog, int id)
{
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (found = FindWindowExA(nullptr, nullptr, "#32770", nullptr); found != nullptr;
                 found = FindWindowExA(nullptr, found, "#32770", nullptr)) {
                if (GetWindow(found, GW_OWNER) == dialog && IsWindowVisible(found)) return true;
            }
            return !IsWindow(dialog);
        },
        10000);
    return found;
}

bool CloseModal(HWND modal, int id)
{
    Press(modal, id);
    return WaitUntil([&] { return !IsWindow(modal); }, 10000);
}

void Type(HWND dialog, int id, const std::string& text)
{
    SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace dialog_driver
