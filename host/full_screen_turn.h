// At most one full-screen saver at a time, and at least one, however many start at once.
#pragma once

#include "win32/handles.h"

// The turn to run the full-screen saver: a lock named for the whole session, held for the run.
class FullScreenTurn {
public:
    FullScreenTurn() = default;
    ~FullScreenTurn();
    FullScreenTurn(const FullScreenTurn&) = delete;
    FullScreenTurn& operator=(const FullScreenTurn&) = delete;

    // True when this start runs the saver. False when another saver has the screen; that one is
    // brought to the front, as a second start always did.
    bool Take();

private:
    UniqueKernelObject lock_;
    bool held_ = false;
};
