// The first stage: paints the chosen background once, then gives way to the pictures.
#include "engine/background_stage.h"

#include "imaging/backgrounds.h"

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
    return PaintBackground(window, *settings);
}
