// The drawing loop of the first version, for benchmarks only, to measure today's pacing against.
#pragma once

#include <windows.h>

class AnimationEngine;

// A frame tick as the first version drew it; set as AnimationEngine::pacing. A saver built with
// this file takes it when the environment variable TAVRIX_OLD_PACING is set.
int OldPacingTick(AnimationEngine& engine, HWND window);
