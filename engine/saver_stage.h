// The base of the saver window's stages: its own settings, the busy flag and the frame timer.
#pragma once

#include <windows.h>

#include <memory>

#include "settings/saver_settings.h"

// What EngineProc drives. A stage reads its own copy of the settings when made; a
// stage without one (out of memory) is never kept, so the operations may rely on it.
class SaverStage {
public:
    explicit SaverStage(HWND window);
    virtual ~SaverStage();

    // Non-zero while the stage goes on; 0 hands over to the next stage.
    virtual int OnTimer(HWND window) = 0;
    virtual void OnEraseBackground(HWND window);
    virtual int OnMciNotify(HWND window, WPARAM flags);
    // Repairs the window on WM_PAINT; false leaves the message to the default handling.
    virtual bool OnPaint(HWND window);

    SaverStage(const SaverStage&) = delete;
    SaverStage& operator=(const SaverStage&) = delete;

    bool HasSettings() const { return settings != nullptr; }
    // While set, a close request would cut into work that must finish.
    int IsBusy() const { return busy; }
    // Whether the background this stage stands on is short of what the settings ask for: a key
    // stopped the user's picture loading. It stays so until the background is painted afresh.
    bool BackgroundCutShort() const { return backgroundCutShort; }
    void MarkBackgroundCutShort() { backgroundCutShort = true; }

protected:
    void StartFrameTimer();
    void StopFrameTimer();
    // The next frame tick in `delay` milliseconds (the system's timers are coarser than 1 ms).
    void ScheduleFrame(UINT delay);

    std::unique_ptr<SaverSettings> settings;
    HWND window;
    int busy;
    UINT_PTR frameTimerId = 0;
    bool backgroundCutShort = false;
};

// The saver window's timers: each stage's frame tick, and the pictures' change.
constexpr UINT_PTR kFrameTimerId = 1;
constexpr UINT_PTR kChangeTimerId = 2;

// Asks for a frame tick on the saver window at once (the change timer does, when a change is due).
void RequestFrame(HWND window);
