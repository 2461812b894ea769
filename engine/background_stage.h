// The first stage: paints the chosen background once, then gives way to the pictures.
#pragma once

#include "engine/saver_stage.h"
#include "imaging/backgrounds.h"

// What the Background setting asks to be painted; 3 and any unknown value paint nothing, like the
// desktop. The look borrows the settings' file name.
BackgroundLook BackgroundLookFor(const SaverSettings& settings);

// It stays busy throughout: the window is not closed half painted.
class BackgroundStage : public SaverStage {
public:
    explicit BackgroundStage(HWND window);
    ~BackgroundStage() override;

    // Paints the background; 0, so the pictures take over.
    int OnTimer(HWND window) override;
};
