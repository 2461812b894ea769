// The saver window's class and titles, by which a second start, the system and its tools find a
// running saver.
#pragma once

constexpr char kSaverWindowClass[] = "WindowsScreenSaverClass";
constexpr char kFullScreenTitle[] = "Screen Saver";
constexpr char kPreviewTitle[] = "Preview";
