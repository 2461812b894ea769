// At most one full-screen saver at a time, and at least one, however many start at once.
#include "host/full_screen_turn.h"

#include "host/host_state.h"

namespace {

constexpr char kTurnName[] = "Tavrix Bildschirmschoner: Vollbild";
// How long a second start waits for the first one's window before it gives up quietly.
constexpr DWORD kPatience = 10000;
constexpr DWORD kGlance = 50;

// A saver window, ours or another program's, already has the screen: bring it forward.
bool ActivateRunningSaver()
{
    HWND running = FindWindowA(kSaverWindowClass, kFullScreenTitle);
    if (running == nullptr || !IsWindow(running)) return false;
    SetForegroundWindow(running);
    return true;
}

}  // namespace

FullScreenTurn::~FullScreenTurn()
{
    if (held_) ReleaseMutex(lock_.get());
}

// The lock settles who runs when several start together: the others bring the winner's window
// forward once it is there. A saver that was killed leaves the lock abandoned, which counts as free.
bool FullScreenTurn::Take()
{
    lock_.reset(CreateMutexA(nullptr, FALSE, kTurnName));
    if (!lock_) return !ActivateRunningSaver();
    const DWORD start = GetTickCount();
    do {
        const DWORD waited = WaitForSingleObject(lock_.get(), kGlance);
        if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
            held_ = true;
            return !ActivateRunningSaver();  // another program's saver counts too
        }
        if (ActivateRunningSaver()) return false;
    } while (GetTickCount() - start < kPatience);
    return false;
}
