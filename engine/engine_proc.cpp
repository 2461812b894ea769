// The engine's door: which stage is current, and what each message does to it.
#include "engine/engine_proc.h"

#include <new>
#include <utility>

#include "engine/animation_engine.h"
#include "engine/background_stage.h"

std::unique_ptr<SaverStage> currentStage;
int changeDue = 1;

void ResetEngineState()
{
    currentStage.reset();
    changeDue = 1;
}

namespace {

// The old stage goes first: both stages run their frame timer under the same id.
// A stage that cannot be made, or made without its settings, leaves none current.
template <typename Stage>
void ReplaceCurrentStage(HWND window)
{
    currentStage.reset();
    std::unique_ptr<SaverStage> stage(new (std::nothrow) Stage(window));
    if (stage && !stage->HasSettings()) stage.reset();
    currentStage = std::move(stage);
}

LRESULT OnCreate(HWND window)
{
    ReplaceCurrentStage<BackgroundStage>(window);
    return 1;
}

LRESULT OnDestroy()
{
    ResetEngineState();
    return 1;
}

LRESULT OnClose(HWND window, WPARAM wParam, LPARAM lParam, WNDPROC below)
{
    if (currentStage && currentStage->IsBusy()) return 1;  // dropped
    return below(window, WM_CLOSE, wParam, lParam);
}

LRESULT OnEraseBackground(HWND window)
{
    if (currentStage) currentStage->OnEraseBackground(window);
    return 1;
}

LRESULT OnTimer(HWND window)
{
    if (!currentStage) ReplaceCurrentStage<BackgroundStage>(window);
    if (currentStage && currentStage->OnTimer(window) == 0) {
        const bool cutShort = currentStage->BackgroundCutShort();
        ReplaceCurrentStage<AnimationEngine>(window);
        if (currentStage && cutShort) currentStage->MarkBackgroundCutShort();
    }
    return 1;
}

// The key that asked for the password also stopped the user's picture loading, so that the saver
// could close at once. Refused, the saver stays: the background is painted afresh, pictures and all.
LRESULT OnVerifyPassword(HWND window, WPARAM wParam, LPARAM lParam, WNDPROC below)
{
    const LRESULT answer = below(window, WM_VERIFY_PASSWORD, wParam, lParam);
    if (answer == 0 && currentStage && currentStage->BackgroundCutShort()) {
        ReplaceCurrentStage<BackgroundStage>(window);
        changeDue = 1;  // the new pictures come at once, as at the start
    }
    return answer;
}

// The pictures repair what the window lost; before they run, the system's handling does.
LRESULT OnPaint(HWND window, WPARAM wParam, LPARAM lParam, WNDPROC below)
{
    if (currentStage && currentStage->OnPaint(window)) return 0;
    return below(window, WM_PAINT, wParam, lParam);
}

LRESULT OnMciNotify(HWND window, WPARAM wParam, LPARAM lParam, WNDPROC below)
{
    if (currentStage) currentStage->OnMciNotify(window, wParam);
    return below(window, MM_MCINOTIFY, wParam, lParam);
}

}  // namespace

LRESULT EngineProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC below)
{
    switch (message) {
    case WM_CREATE: return OnCreate(window);
    case WM_DESTROY: return OnDestroy();
    case WM_CLOSE: return OnClose(window, wParam, lParam, below);
    case WM_ERASEBKGND: return OnEraseBackground(window);
    case WM_TIMER: return OnTimer(window);
    case WM_PAINT: return OnPaint(window, wParam, lParam, below);
    case MM_MCINOTIFY: return OnMciNotify(window, wParam, lParam, below);
    case WM_VERIFY_PASSWORD: return OnVerifyPassword(window, wParam, lParam, below);
    default: return below(window, message, wParam, lParam);
    }
}
