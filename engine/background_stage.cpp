// The first stage: paints the chosen background once, then gives way to the pictures.
#include "engine/background_stage.h"

#include "imaging/backgrounds.h"

namespace {

// A key or mouse button pressed while the user's bitmap loads: the saver is about to close,
// so the load is given up. A release alone (the key that started the saver) is no reason.
// Nothing is taken from the queue; GetQueueStatus first, as it is cheap and mostly says no.
bool PressWaits()
{
    if (HIWORD(GetQueueStatus(QS_KEY | QS_MOUSEBUTTON)) == 0) return false;
    MSG message;
    for (const UINT press : {WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN})
        if (PeekMessageA(&message, nullptr, press, press, PM_NOREMOVE | PM_NOYIELD)) return true;
    return false;
}

// The preview, a child of the display properties, never ends on input.
bool FullScreen(HWND window)
{
    return !(GetWindowLongA(window, GWL_STYLE) & WS_CHILD);
}

}  // namespace

BackgroundStage::BackgroundStage(HWND window) : SaverStage(window)
{
    StartFrameTimer();
}

BackgroundStage::~BackgroundStage()
{
    StopFrameTimer();
}

int BackgroundStage::OnTimer(HWND window)
{
    if (!FullScreen(window)) return PaintBackground(window, *settings);
    const LoadStop stop = [this] {
        if (PressWaits()) MarkBackgroundCutShort();
        return BackgroundCutShort();
    };
    return PaintBackground(window, *settings, stop);
}
