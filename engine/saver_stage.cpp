// The base of the saver window's stages: its own settings, the busy flag and the frame timer.
#include "engine/saver_stage.h"

#include <new>

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

bool SaverStage::OnPaint(HWND)
{
    return false;
}

void SaverStage::StartFrameTimer()
{
    ScheduleFrame(1);  // the fastest the system gives
}

void SaverStage::ScheduleFrame(UINT delay)
{
    frameTimerId = SetTimer(window, kFrameTimerId, delay, nullptr);
}

void RequestFrame(HWND window)
{
    SetTimer(window, kFrameTimerId, 1, nullptr);
}

void SaverStage::StopFrameTimer()
{
    KillTimer(window, frameTimerId);
}
