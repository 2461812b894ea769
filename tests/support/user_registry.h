// The current user's registry, where Wine and Windows keep what the tests set for a run.
#pragma once

#include <windows.h>

// Sets a text value under HKEY_CURRENT_USER, or deletes it when `text` is null; or a number.
void WriteUserRegistry(const char* key, const char* name, const char* text);
void WriteUserRegistryNumber(const char* key, const char* name, DWORD number);
