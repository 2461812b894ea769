// The entry point and the run modes: saving, preview, configuration, password change.
#include "host/host_main.h"

#include "host/command_line.h"
#include "host/full_screen_turn.h"
#include "host/host_state.h"
#include "host/host_window.h"
#include "host/password.h"
#include "resources/resource_ids.h"
#include "settings/config_dialog.h"
#include "win32/monitors.h"

HostState hostState;

namespace {

constexpr int kBadCommandLine = -1;
constexpr int kNoWindow = -1;
constexpr UINT kParentWatchInterval = 250;  // ms

// The ANSI version record of Windows 95 and NT 4.0, on both builds.
static_assert(sizeof(OSVERSIONINFOA) == 148);

int DetectWin9x()
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);  // 148, the ANSI record
    if (!GetVersionExA(&version)) return 0;
    return version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ? 1 : 0;
}

HWND WindowFromText(const char* text)
{
    HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(ParseWindowHandle(text)));
    return window != nullptr && IsWindow(window) ? window : nullptr;
}

// The desktop window is no place for a preview: its child would cover the screen for good.
HWND PreviewParentFromText(const char* text)
{
    HWND parent = WindowFromText(text);
    return parent != GetDesktopWindow() ? parent : nullptr;
}

// A fault escaping a run mode must not leave the system believing a saver still runs.
// The system's own handling decides first (debugger, report); when it would end the
// process, the notice is withdrawn and the run ends with the fault's code.
LONG WINAPI FaultGuardFilter(EXCEPTION_POINTERS* fault)
{
    SetUnhandledExceptionFilter(nullptr);
    LONG verdict = UnhandledExceptionFilter(fault);
    if (verdict == EXCEPTION_EXECUTE_HANDLER) {
        DisarmPasswordCheck();
        ExitProcess(fault->ExceptionRecord->ExceptionCode);
    }
    return verdict;
}

class FaultGuard {
public:
    FaultGuard() : previous_(SetUnhandledExceptionFilter(FaultGuardFilter)) {}
    ~FaultGuard() { SetUnhandledExceptionFilter(previous_); }
    FaultGuard(const FaultGuard&) = delete;
    FaultGuard& operator=(const FaultGuard&) = delete;

private:
    LPTOP_LEVEL_EXCEPTION_FILTER previous_;
};

bool RegisterSaverClass()
{
    WNDCLASSA saverClass = {};
    saverClass.style = CS_OWNDC | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    saverClass.lpfnWndProc = HostWindowProc;
    saverClass.hInstance = hostState.instance;
    // The module carries no icon 100, so the class ends up without one.
    saverClass.hIcon = LoadIconA(hostState.instance, MAKEINTRESOURCEA(IDI_CLASS_ICON));
    saverClass.hCursor = nullptr;
    saverClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    saverClass.lpszClassName = kSaverWindowClass;
    return RegisterClassA(&saverClass) != 0;
}

// A preview whose parent went without telling it (its process was killed) would wait for good.
void CALLBACK WatchPreviewParent(HWND, UINT, UINT_PTR, DWORD)
{
    if (!IsWindow(hostState.previewParent) || !IsWindow(hostState.saverWindow)) PostQuitMessage(0);
}

int PumpMessages()
{
    MSG message = {};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

int RunSaverWindow(HWND parent)
{
    const char* title = kFullScreenTitle;
    DWORD style = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    DWORD extendedStyle = WS_EX_TOPMOST;
    RECT place = {};
    if (parent != nullptr) {
        GetClientRect(parent, &place);
        style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
        extendedStyle = 0;
        title = kPreviewTitle;
        hostState.isPreview = 1;
        hostState.previewParent = parent;
    } else {
        place = VirtualScreen();  // every monitor: nothing of the desktop may show
    }
    FullScreenTurn turn;
    if (!hostState.isPreview) {
        if (!turn.Take()) return 0;
        ArmPasswordCheck();
    }

    if (RegisterSaverClass()) {
        hostState.saverWindow = CreateWindowExA(
            extendedStyle, kSaverWindowClass, title, style, place.left, place.top, place.right - place.left,
            place.bottom - place.top, parent, nullptr, hostState.instance, nullptr);
    }
    int exitCode = kNoWindow;
    if (hostState.saverWindow != nullptr) {
        if (!hostState.isPreview) SetForegroundWindow(hostState.saverWindow);
        if (hostState.isPreview) SetTimer(nullptr, 0, kParentWatchInterval, WatchPreviewParent);
        exitCode = PumpMessages();
    }
    DisarmPasswordCheck();
    return exitCode;
}

int RunPreview(const char* arguments)
{
    HWND parent = PreviewParentFromText(arguments);
    return parent != nullptr ? RunSaverWindow(parent) : kBadCommandLine;
}

int RunChangePassword(const char* arguments)
{
    HWND owner = WindowFromText(arguments);
    RequestPasswordChange(owner != nullptr ? owner : GetForegroundWindow());
    return 0;
}

INT_PTR ShowConfigDialog(HWND owner)
{
    if (!PrepareConfigDialog(hostState.instance)) return 0;
    return DialogBoxParamA(hostState.instance, MAKEINTRESOURCEA(IDD_CONFIG), owner, ConfigDialogProc, 0);
}

int RunChosenMode(const ModeChoice& choice)
{
    switch (choice.mode) {
    case RunMode::ConfigUnowned: return static_cast<int>(ShowConfigDialog(nullptr));
    case RunMode::ConfigOwned: return static_cast<int>(ShowConfigDialog(GetForegroundWindow()));
    case RunMode::Saver: return RunSaverWindow(nullptr);
    case RunMode::Preview: return RunPreview(choice.rest);
    case RunMode::ChangePassword:
        return hostState.isWin9x ? RunChangePassword(choice.rest) : kBadCommandLine;
    case RunMode::Invalid: break;
    }
    return kBadCommandLine;
}

}  // namespace

void HostEntry()
{
    const char* arguments = SkipProgramName(GetCommandLineA());
    ExitProcess(static_cast<UINT>(HostMain(GetModuleHandleA(nullptr), arguments)));
}

int HostMain(HINSTANCE instance, const char* arguments)
{
    hostState.instance = instance;
    hostState.isWin9x = DetectWin9x();
    FaultGuard guard;
    return RunChosenMode(ChooseRunMode(arguments));
}
