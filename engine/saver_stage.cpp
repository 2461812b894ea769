// The base of the saver window's stages: its own settings, the busy flag and the frame timer.
#include "engine/saver_stage.h"

#include <new>

namespace {

constexpr UINT_PTR kFrameTimer = 1;

}  // namespace

SaverStage::SaverStage(HWND window) : settings(new (std::nothrow) SaverSettings), window(window), busy(1)
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
