// The stage base (settings, busy flag, frame timer) and the background stage.
#include "engine/stages.h"

#include <new>

#include "imaging/backgrounds.h"

namespace {

constexpr UINT_PTR kFrameTimer = 1;

}  // namespace

SaverStage::SaverStage(HWND window)
    : settings(new (std::nothrow) SaverSettings), window(window), busy(1)
{
    if (settings) settings->Load();
}

SaverStage::~SaverStage() = default;

void SaverStage::OnEraseBackground(HWND) {}

int SaverStage::OnMciNotify(HWND, WPARAM)
{
    return 0;
}

void SaverStage::StartFrameTimer()
{
    // 1 ms asks for the fastest rate the system gives.
    frameTimerId = SetTimer(window, kFrameTimer, 1, nullptr);
}

void SaverStage::StopFrameTimer()
{
    KillTimer(window, frameTimerId);
}

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
    PaintBackground(window, *settings);
    return 0;
}
