// The current user's registry, where Wine and Windows keep what the tests set for a run.
#include "tests/support/user_registry.h"

#include "win32/handles.h"

namespace {

UniqueRegKey CreateUserKey(const char* key)
{
    HKEY opened = nullptr;
    if (RegCreateKeyA(HKEY_CURRENT_USER, key, &opened) != ERROR_SUCCESS) return UniqueRegKey();
    return UniqueRegKey(opened);
}

}  // namespace

void WriteUserRegistry(const char* key, const char* name, const char* text)
{
    const UniqueRegKey opened = CreateUserKey(key);
    if (!opened) return;
    if (text)
        RegSetValueExA(opened.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                       lstrlenA(text) + 1);
    else
        RegDeleteValueA(opened.get(), name);
}

void WriteUserRegistryNumber(const char* key, const char* name, DWORD number)
{
    const UniqueRegKey opened = CreateUserKey(key);
    if (opened)
        RegSetValueExA(opened.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                       sizeof number);
}
