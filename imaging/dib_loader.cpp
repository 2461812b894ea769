// Loads BMP pictures into a movable DIB block, a bitmap for the screen and a palette.
#include "imaging/dib_loader.h"

#include <cstdint>
#include <cstring>
#include <utility>

#include "imaging/dib_format.h"
#include "win32/disk_file.h"

namespace {

constexpr WORD kPaletteVersion = 0x300;

BITMAPINFOHEADER ToInfoHeader(const DibHeader& from)
{
    BITMAPINFOHEADER header{};
    header.biSize = from.size;
    header.biWidth = from.width;
    header.biHeight = from.height;
    header.biPlanes = from.planes;
    header.biBitCount = from.bitCount;
    header.biCompression = from.compression;
    header.biSizeImage = from.sizeImage;
    header.biXPelsPerMeter = from.xPelsPerMeter;
    header.biYPelsPerMeter = from.yPelsPerMeter;
    header.biClrUsed = from.clrUsed;
    header.biClrImportant = from.clrImportant;
    return header;
}

// The name may be a resource number rather than text.
void ReportResourceProblem(HWND owner, const char* format, const char* name)
{
    char number[16];
    if (IS_INTRESOURCE(name)) {
        wsprintfA(number, "#%u", unsigned(reinterpret_cast<ULONG_PTR>(name)));
        name = number;
    }
    char text[1024];
    wsprintfA(text, format, name);
    // The full-screen saver is topmost: the box must stand in front of it and take the keys, or
    // the user faces a still screen with no answer to give. Owned by the saver, it does.
    MessageBoxA(owner, text, "Error", MB_ICONERROR | MB_TOPMOST | MB_SETFOREGROUND);
}

// A movable block of the size the layout decided, zeroed, with the completed header first.
UniqueLocalMemory NewBlock(const DibLayout& layout)
{
    UniqueLocalMemory block(LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, layout.blockSize));
    LockedMemory bytes(block.get());
    if (!bytes) return UniqueLocalMemory();
    const BITMAPINFOHEADER header = ToInfoHeader(layout.header);
    std::memcpy(bytes.get(), &header, sizeof header);
    return block;
}

bool NeverStop()
{
    return false;
}

bool FillFromResource(uint8_t* block, const uint8_t* resource, const DibLayout& layout)
{
    uint8_t* table = block + kInfoHeaderBytes;
    std::memcpy(table, resource + layout.tableOffset, layout.tableBytes);
    if (layout.coreHeader) WidenColourTriples(table, layout.colourCount);
    const uint8_t* pixels = resource + layout.pixelOffset;
    // The block holds every row: one band, nothing to hand over. Run-length codes are decoded here
    // too, as Wine's CreateDIBitmap gets some valid RLE8 pictures wrong.
    const auto read = [&pixels](uint32_t bytes) { return std::exchange(pixels, pixels + bytes); };
    const auto keep = [](uint32_t, uint32_t) { return true; };
    return DecodePixels(layout.pixels, block + layout.blockPixelOffset, block + layout.blockWorkOffset, read,
                        NeverStop, keep);
}

DWORD ReadUpTo(HANDLE file, void* destination, DWORD bytes)
{
    DWORD read = 0;
    return ReadFile(file, destination, bytes, &read, nullptr) ? read : 0;
}

bool SeekTo(HANDLE file, uint32_t offset)
{
    LONG high = 0;  // with a high part the low one counts as unsigned
    SetLastError(NO_ERROR);
    const DWORD low = SetFilePointer(file, LONG(offset), &high, FILE_BEGIN);
    return low != INVALID_SET_FILE_POINTER || GetLastError() == NO_ERROR;
}

// GetFileSize rather than GetFileSizeEx, which Windows 95, 98 and NT 4.0 lack. An unknown
// length trusts nothing, and a file of 4 GB or more is no picture: both count as empty.
uint64_t FileBytes(HANDLE file)
{
    DWORD high = 0;
    SetLastError(NO_ERROR);  // a length of 0xFFFFFFFF is told from a failure by the error
    const DWORD low = GetFileSize(file, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return 0;
    return high == 0 ? low : 0;
}

DibLayout ReadFileLayout(HANDLE file)
{
    uint8_t head[kBmpHeadBytes];
    const DWORD headBytes = ReadUpTo(file, head, sizeof head);
    return ReadDibLayout(head, headBytes, FileBytes(file), DibSource::File);
}

bool ReadColourTable(HANDLE file, uint8_t* block, const DibLayout& layout)
{
    // A table cut short by the end of the file leaves its missing entries black (the block is zeroed).
    uint8_t* table = block + kInfoHeaderBytes;
    if (!SeekTo(file, layout.tableOffset)) return false;
    ReadUpTo(file, table, layout.tableBytes);
    if (layout.coreHeader) WidenColourTriples(table, layout.colourCount);
    return true;
}

// The file's rows, converted as they are read, go into the screen bitmap a band at a time.
bool DrawFileRows(HANDLE file, HDC screen, HBITMAP bitmap, uint8_t* block, const DibLayout& layout,
                  const LoadStop& stop)
{
    if (!SeekTo(file, layout.pixelOffset)) return false;
    uint8_t* const piece = block + layout.blockPieceOffset;
    uint8_t* const band = block + layout.blockPixelOffset;
    const auto* info = reinterpret_cast<const BITMAPINFO*>(block);
    const auto read = [file, piece](uint32_t bytes) -> const uint8_t* {
        return ReadUpTo(file, piece, bytes) == bytes ? piece : nullptr;
    };
    const auto handOver = [&](uint32_t firstScan, uint32_t scans) {
        return SetDIBits(screen, bitmap, firstScan, scans, band, info, DIB_RGB_COLORS) == int(scans);
    };
    return DecodePixels(layout.pixels, band, block + layout.blockWorkOffset, read, stop, handOver);
}

HBITMAP ScreenBitmap(HDC dc, const BITMAPINFOHEADER* header, HPALETTE palette)
{
    SelectedPalette selected(dc, palette, TRUE, true);
    RealizePalette(dc);
    const BYTE* bits =
        reinterpret_cast<const BYTE*>(header) + header->biSize + 4 * SIZE_T(header->biClrUsed);
    return CreateDIBitmap(dc, header, CBM_INIT, bits, reinterpret_cast<const BITMAPINFO*>(header),
                          DIB_RGB_COLORS);
}

}  // namespace

BOOL DibLoader::LoadFromResource(const char* type, const char* name, LoadedDib& dib, HWND owner)
{
    const HMODULE module = GetModuleHandleA(nullptr);
    const HRSRC found = FindResourceA(module, name, type);
    if (!found) {
        ReportResourceProblem(owner, "Can't find resource '%.900s'", name);
        return FALSE;
    }
    const HGLOBAL loaded = LoadResource(module, found);
    const void* start = loaded ? LockResource(loaded) : nullptr;
    if (!start) {
        ReportResourceProblem(owner, "Can't load resource '%.900s'", name);
        return FALSE;
    }
    const auto* resource = static_cast<const uint8_t*>(start);
    const DWORD size = SizeofResource(module, found);
    const DibLayout layout = ReadDibLayout(resource, size, size, DibSource::Resource);
    if (!layout.Loadable()) return FALSE;
    UniqueLocalMemory block = NewBlock(layout);
    {
        LockedMemory bytes(block.get());
        if (!bytes || !FillFromResource(static_cast<uint8_t*>(bytes.get()), resource, layout)) return FALSE;
    }
    WindowDc screen(nullptr);
    return screen && CreateBitmapAndPalette(screen.get(), block.get(), dib);
}

BOOL DibLoader::LoadFromFile(const char* path, LoadedDib& dib, const LoadStop& stop)
{
    const auto stopNow = [&stop] { return stop && stop(); };
    UniqueFile file = OpenRegularDiskFile(path);
    if (!file) return FALSE;
    const DibLayout layout = ReadFileLayout(file.get());
    if (!layout.Loadable() || stopNow()) return FALSE;
    UniqueLocalMemory block = NewBlock(layout);
    LockedMemory bytes(block.get());
    auto* start = static_cast<uint8_t*>(bytes.get());
    if (!bytes || !ReadColourTable(file.get(), start, layout)) return FALSE;

    UniquePalette palette = CreateDibPalette(reinterpret_cast<const BITMAPINFOHEADER*>(start));
    WindowDc screen(nullptr);
    if (!palette || !screen || stopNow()) return FALSE;
    // The rows' colours are matched against the picture's own palette, as CreateDIBitmap would.
    SelectedPalette selected(screen.get(), palette.get(), TRUE, true);
    RealizePalette(screen.get());
    UniqueBitmap bitmap(CreateDIBitmap(screen.get(), reinterpret_cast<const BITMAPINFOHEADER*>(start), 0,
                                       nullptr, nullptr, 0));
    if (!bitmap || !DrawFileRows(file.get(), screen.get(), bitmap.get(), start, layout, stopNow))
        return FALSE;
    dib.hPalette = std::move(palette);
    dib.hBitmap = std::move(bitmap);
    return TRUE;
}

BOOL DibLoader::CreateBitmapAndPalette(HDC dc, HLOCAL block, LoadedDib& dib)
{
    LockedMemory locked(block);
    if (!locked) return FALSE;
    const auto* header = static_cast<const BITMAPINFOHEADER*>(locked.get());
    UniquePalette palette = CreateDibPalette(header);
    if (!palette) return FALSE;
    UniqueBitmap bitmap(ScreenBitmap(dc, header, palette.get()));
    if (!bitmap) return FALSE;
    dib.hPalette = std::move(palette);
    dib.hBitmap = std::move(bitmap);
    return TRUE;
}

UniquePalette DibLoader::CreateDibPalette(const BITMAPINFOHEADER* header)
{
    if (header->biClrUsed == 0) return UniquePalette(static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)));
    const WORD count = LOWORD(header->biClrUsed);
    const HLOCAL buffer = LocalAlloc(LMEM_FIXED, 8 + 4 * SIZE_T(count));
    if (!buffer) return UniquePalette();
    ScopeExit freeBuffer([buffer] {
        if (LocalFree(buffer) != nullptr) Beep(3000, 100);
    });
    auto* palette = static_cast<LOGPALETTE*>(buffer);  // a fixed block's handle is its address
    palette->palVersion = kPaletteVersion;
    palette->palNumEntries = count;
    const auto* table =
        reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(header) + header->biSize);
    PALETTEENTRY* entries = palette->palPalEntry;
    for (WORD i = 0; i < count; ++i)
        entries[i] = PALETTEENTRY{table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, 0};
    return UniquePalette(CreatePalette(palette));
}
