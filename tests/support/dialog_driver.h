// Driving another program's dialogs as a user would: reading their controls, clicking, choosing, typing.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace dialog_driver {

// Waits until the window is shown; a dialog shows itself only once it has filled its controls.
bool WaitUntilShown(HWND window);

// Texts come and go as the bytes of the ...A calls: Windows-1252, as the dialogs themselves use.
std::string TextOf(HWND window);
std::string TextOf(HWND dialog, int id);
bool IsChecked(HWND dialog, int id);
bool IsEnabled(HWND dialog, int id);
// The shown entry of a drop-down list ("" when none is selected), and all its entries.
std::string ShownEntry(HWND dialog, int id);
std::vector<std::string> Entries(HWND dialog, int id);

// A mouse click on a button, box or radio button; returns once the dialog has handled it
// (or after ten seconds, should the click open a modal window after all).
void Click(HWND dialog, int id);
// The command of a dialog's button, as its click or Enter/Esc would send it; returns at once.
void Press(HWND dialog, int id);
// A click on a button that opens a modal dialog, such as a chooser or a message box: that dialog once shown, or null.
HWND OpenModal(HWND dialog, int id);
// Presses a button of a modal dialog (IDOK, IDCANCEL); whether the dialog is gone within ten seconds.
bool CloseModal(HWND modal, int id);
// Typing into a field: its text is replaced, and the dialog hears of the change.
void Type(HWND dialog, int id, const std::string& text);

}  // namespace dialog_driver
