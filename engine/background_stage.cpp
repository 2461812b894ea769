// The first stage: paints the chosen background once, then gives way to the pictures.
#include "engine/background_stage.h"

#include "imaging/backgrounds.h"

namespace {

// A key or mouse button pressed while the user's bitmap loads: the saver is about to close,
// so the load is given up. Only input in the queue counts; nothing is taken from it.
bool InputWaits()
{
    return HIWORD(GetQueueStatus(QS_KEY | QS_MOUSEBUTTON)) != 0;
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
    return PaintBackground(window, *settings, FullScreen(window) ? LoadStop(InputWaits) : LoadStop());
}
