// Opens only regular disk files: a device, pipe or folder is refused before anything could block.
#pragma once

#include <windows.h>

#include "win32/handles.h"

// True when the path's last part names a device wherever it stands: CON, PRN, AUX, NUL,
// COM1 to COM9, LPT1 to LPT9, CONIN$, CONOUT$, CLOCK$, in any case, with any extension
// or trailing blanks or colon ("c:\pictures\com1.bmp", "AUX ", "lpt1:").
bool NamesDevice(const char* path);

// True when the path names an existing regular file on disk.
bool IsRegularDiskFile(const char* path);

// True when nothing at all stands at the path: no file, folder, pipe or device.
bool IsAbsent(const char* path);

// Opens a regular disk file for reading (others may read it too); empty for anything else.
UniqueFile OpenRegularDiskFile(const char* path);
