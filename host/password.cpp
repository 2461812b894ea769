// The password machinery of the 95/98 family: verifier, saver-running notice, password change.
#include "host/password.h"

#include "host/host_state.h"
#include "host/host_window.h"
#include "win32/handles.h"

namespace {

constexpr DWORD kVerifyQuietTime = 200;  // ms after an answer in which input asks nothing

using PasswordChanger = DWORD(WINAPI*)(LPCSTR provider, HWND owner, DWORD reserved1, DWORD reserved2);

bool PasswordInUse()
{
    HKEY opened = nullptr;
    if (RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &opened) != ERROR_SUCCESS) return false;
    UniqueRegKey key(opened);
    // The value's type is not asked for; a REG_SZ "1" reads as a nonzero number too.
    DWORD value = 0;
    DWORD size = sizeof(value);
    LONG result = RegQueryValueExA(key.get(), "ScreenSaveUsePassword", nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(&value), &size);
    return result == ERROR_SUCCESS && value != 0;
}

void LoadVerifier()
{
    hostState.passwordModule.reset(LoadLibraryA("PASSWORD.CPL"));
    if (!hostState.passwordModule) return;
    hostState.passwordVerifier = reinterpret_cast<PasswordVerifier>(
        reinterpret_cast<void*>(GetProcAddress(hostState.passwordModule.get(), "VerifyScreenSavePwd")));
    if (hostState.passwordVerifier != nullptr)
        SetSaverRunning(TRUE);
    else
        DisarmPasswordCheck();
}

// Timer messages already queued would otherwise run the engine behind the dialog's back first.
void DropQueuedTimerMessages(HWND window)
{
    MSG message;
    PeekMessageA(&message, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    PeekMessageA(&message, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
}

}  // namespace

// The tick count wraps after 49 days; the unsigned difference does not mind.
bool WithinQuietTime(DWORD now, DWORD lastVerifyEnd)
{
    return lastVerifyEnd != kNoVerifyYet && now - lastVerifyEnd < kVerifyQuietTime;
}

int ConfirmClose(HWND window)
{
    if (hostState.verifying || hostState.closeApproved) return 0;
    if (hostState.passwordVerifier == nullptr) {
        hostState.closeApproved = 1;
        return 1;
    }
    if (WithinQuietTime(GetTickCount(), hostState.lastVerifyEnd)) return 0;

    hostState.verifying = 1;
    DropQueuedTimerMessages(window);
    LRESULT answer = SendMessageA(window, WM_VERIFY_PASSWORD, 0, 0);
    hostState.closeApproved = answer != 0 ? 1 : 0;
    hostState.verifying = 0;
    if (!hostState.closeApproved) SetCursor(nullptr);
    hostState.lastVerifyEnd = GetTickCount();
    return hostState.closeApproved;
}

void ArmPasswordCheck()
{
    if (!hostState.isWin9x) return;
    if (hostState.passwordModule) DisarmPasswordCheck();
    if (PasswordInUse()) LoadVerifier();
}

void DisarmPasswordCheck()
{
    if (!hostState.isWin9x || !hostState.passwordModule) return;
    // The notice goes first: whatever the verifier does as it unloads, the system is told.
    if (hostState.passwordVerifier != nullptr) {
        hostState.passwordVerifier = nullptr;
        SetSaverRunning(FALSE);
    }
    hostState.passwordModule.reset();
}

void SetSaverRunning(BOOL running)
{
    if (!hostState.isWin9x) return;
    BOOL previous = FALSE;  // required by the call, not looked at
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, static_cast<UINT>(running), &previous, 0);
}

void RequestPasswordChange(HWND owner)
{
    UniqueModule changerModule(LoadLibraryA("MPR.DLL"));
    if (!changerModule) return;
    auto changer = reinterpret_cast<PasswordChanger>(
        reinterpret_cast<void*>(GetProcAddress(changerModule.get(), "PwdChangePasswordA")));
    if (changer != nullptr) changer("SCRSAVE", owner, 0, 0);
}
