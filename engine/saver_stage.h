// The saver window's stages: the background painted once, then the moving pictures.
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

    SaverStage(const SaverStage&) = delete;
    SaverStage& operator=(const SaverStage&) = delete;

    bool HasSettings() const { return settings != nullptr; }
    // While set, a close request would cut into work that must finish.
    int IsBusy() const { return busy; }

protected:
    void StartFrameTimer();
    void StopFrameTimer();

    std::unique_ptr<SaverSettings> settings;
    HWND window;
    int busy;
    UINT_PTR frameTimerId = 0;
};

// Paints the background on its first tick, then gives way to the pictures. It stays
// busy throughout: the window is not closed half painted.
class BackgroundStage : public SaverStage {
public:
    explicit BackgroundStage(HWND window);
    ~BackgroundStage() override;

    int OnTimer(HWND window) override;
};

// The one current stage of the process, and whether the pictures are due for a change.
extern std::unique_ptr<SaverStage> currentStage;
extern int changeDue;

// Ends the current stage and forgets any pending change, as at process start.
void ResetEngineState();
