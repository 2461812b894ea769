// Move-only owners for Win32 handles: every handle has one owner and is released once.
#pragma once

#include <windows.h>

#include <utility>

// Owns one handle of a kind described by Traits (invalid value and close call).
// Releasing keeps GetLastError intact so an error path can still report it.
template <typename Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other) reset(other.release());
        return *this;
    }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::Invalid(); }

    Handle release() { return std::exchange(handle_, Traits::Invalid()); }

    void reset(Handle handle = Traits::Invalid())
    {
        Handle old = std::exchange(handle_, handle);
        if (old == Traits::Invalid()) return;
        DWORD lastError = GetLastError();
        Traits::Close(old);
        SetLastError(lastError);
    }

private:
    Handle handle_ = Traits::Invalid();
};

template <typename T>
struct GdiObjectTraits {
    using Handle = T;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { DeleteObject(h); }
};

// The stock palette stands in for pictures without colours; it belongs to the system.
struct PaletteTraits {
    using Handle = HPALETTE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h)
    {
        if (h != static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE))) DeleteObject(h);
    }
};

struct MemoryDcTraits {
    using Handle = HDC;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { DeleteDC(h); }
};

struct ModuleTraits {
    using Handle = HMODULE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { FreeLibrary(h); }
};

struct RegKeyTraits {
    using Handle = HKEY;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { RegCloseKey(h); }
};

struct FileTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { CloseHandle(h); }
};

// A search of a folder's entries.
struct FindTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { FindClose(h); }
};

// A mutex, event or other kernel object, whose invalid value is null (a file's is not).
struct KernelObjectTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { CloseHandle(h); }
};

// A movable local-memory block; a block that will not free is announced by a beep,
// as there is nobody else to tell.
struct LocalMemoryTraits {
    using Handle = HLOCAL;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h)
    {
        if (LocalFree(h) != nullptr) Beep(1000, 100);
    }
};

using UniqueBitmap = UniqueHandle<GdiObjectTraits<HBITMAP>>;
using UniqueBrush = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using UniquePalette = UniqueHandle<PaletteTraits>;
using UniqueRegion = UniqueHandle<GdiObjectTraits<HRGN>>;
using UniqueMemoryDc = UniqueHandle<MemoryDcTraits>;
using UniqueModule = UniqueHandle<ModuleTraits>;
using UniqueRegKey = UniqueHandle<RegKeyTraits>;
using UniqueFile = UniqueHandle<FileTraits>;
using UniqueFind = UniqueHandle<FindTraits>;
using UniqueLocalMemory = UniqueHandle<LocalMemoryTraits>;
using UniqueKernelObject = UniqueHandle<KernelObjectTraits>;

// A window's device context, given back to its window with ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc()
    {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// An object selected into a device context, put back when the scope ends.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~SelectedObject()
    {
        if (previous_) SelectObject(dc_, previous_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A logical palette selected into a device context; the previous one goes back when the
// scope ends (so ours can be deleted), realized again when asked.
class SelectedPalette {
public:
    SelectedPalette(HDC dc, HPALETTE palette, BOOL background, bool realizeOnRestore)
        : dc_(dc),
          previous_(SelectPalette(dc, palette, background)),
          background_(background),
          realizeOnRestore_(realizeOnRestore)
    {
    }
    ~SelectedPalette()
    {
        if (!previous_) return;
        SelectPalette(dc_, previous_, background_);
        if (realizeOnRestore_) RealizePalette(dc_);
    }
    SelectedPalette(const SelectedPalette&) = delete;
    SelectedPalette& operator=(const SelectedPalette&) = delete;

private:
    HDC dc_;
    HPALETTE previous_;
    BOOL background_;
    bool realizeOnRestore_;
};

// A memory DC compatible with `dc` showing one bitmap: the source of a copy.
class BitmapSource {
public:
    BitmapSource(HDC dc, HBITMAP bitmap) : memory_(CreateCompatibleDC(dc)), shown_(memory_.get(), bitmap) {}

    HDC get() const { return memory_.get(); }
    explicit operator bool() const { return static_cast<bool>(memory_); }

private:
    UniqueMemoryDc memory_;
    SelectedObject shown_;
};

// A locked movable memory block, unlocked when the scope ends.
class LockedMemory {
public:
    explicit LockedMemory(HLOCAL block) : block_(block), bytes_(block ? LocalLock(block) : nullptr) {}
    ~LockedMemory()
    {
        if (bytes_) LocalUnlock(block_);
    }
    LockedMemory(const LockedMemory&) = delete;
    LockedMemory& operator=(const LockedMemory&) = delete;

    void* get() const { return bytes_; }
    explicit operator bool() const { return bytes_ != nullptr; }

private:
    HLOCAL block_;
    void* bytes_;
};

// Runs a callable when the scope ends, unless dismissed.
template <typename Action>
class ScopeExit {
public:
    explicit ScopeExit(Action action) : action_(std::move(action)) {}
    ~ScopeExit()
    {
        if (armed_) action_();
    }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;
    void Dismiss() { armed_ = false; }

private:
    Action action_;
    bool armed_ = true;
};
