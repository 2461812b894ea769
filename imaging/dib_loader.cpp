// Loads BMP pictures into a movable DIB block, a bitmap for the screen and a palette.
#include "imaging/dib_loader.h"

#include <cstdint>
#include <cstring>
#include <utility>

#include "imaging/dib_format.h"

namespace {

constexpr SIZE_T kFirstBlockSize = 1064;  // the header and a full 256-entry table
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
void ReportResourceProblem(const char* format, const char* name)
{
    char number[16];
    if (IS_INTRESOURCE(name)) {
        wsprintfA(number, "#%u", unsigned(reinterpret_cast<ULONG_PTR>(name)));
        name = number;
    }
    char text[1024];
    wsprintfA(text, format, name);
    MessageBoxA(nullptr, text, "Error", MB_ICONERROR);
}

UniqueLocalMemory NewBlock()
{
    return UniqueLocalMemory(LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, kFirstBlockSize));
}

// Puts the completed header at the start of the block, then grows the block
// (unlocked, as a movable block must be) to hold the whole picture.
bool ShapeBlock(UniqueLocalMemory& block, const DibLayout& layout)
{
    {
        LockedMemory bytes(block.get());
        if (!bytes) return false;
        const BITMAPINFOHEADER header = ToInfoHeader(layout.header);
        std::memcpy(bytes.get(), &header, sizeof header);
    }
    const HLOCAL grown = LocalReAlloc(block.get(), layout.blockSize, LMEM_MOVEABLE);
    if (!grown) return false;
    (void)block.release();  // the old handle is no longer valid on its own
    block.reset(grown);
    return true;
}

void FillFromResource(uint8_t* block, const uint8_t* resource, const DibLayout& layout)
{
    uint8_t* table = block + kInfoHeaderBytes;
    std::memcpy(table, resource + layout.tableOffset, layout.tableBytes);
    if (layout.coreHeader) WidenColourTriples(table, layout.colourCount);
    std::memcpy(block + layout.blockPixelOffset, resource + layout.pixelOffset, layout.pixelBytes);
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

bool FillFromFile(DibLoader& loader, HANDLE file, uint8_t* block, const DibLayout& layout)
{
    uint8_t* table = block + kInfoHeaderBytes;
    // A table cut short by the end of the file leaves its missing entries black.
    std::memset(table, 0, 4 * size_t(layout.colourCount));
    if (!SeekTo(file, layout.tableOffset)) return false;
    ReadUpTo(file, table, layout.tableBytes);
    if (layout.coreHeader) WidenColourTriples(table, layout.colourCount);
    if (!SeekTo(file, layout.pixelOffset)) return false;
    return loader.ReadInChunks(file, block + layout.blockPixelOffset, layout.pixelBytes) ==
           layout.pixelBytes;
}

// Makes the bitmap and palette for the screen; the block itself is freed with its owner.
bool FinishLoad(DibLoader& loader, const UniqueLocalMemory& block, LoadedDib& dib)
{
    WindowDc screen(nullptr);
    return screen && loader.CreateBitmapAndPalette(screen.get(), block.get(), dib);
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

BOOL DibLoader::LoadFromResource(const char* type, const char* name, LoadedDib& dib)
{
    const HMODULE module = GetModuleHandleA(nullptr);
    const HRSRC found = FindResourceA(module, name, type);
    if (!found) {
        ReportResourceProblem("Can't find resource '%.900s'", name);
        return FALSE;
    }
    const HGLOBAL loaded = LoadResource(module, found);
    const void* start = loaded ? LockResource(loaded) : nullptr;
    if (!start) {
        ReportResourceProblem("Can't load resource '%.900s'", name);
        return FALSE;
    }
    const auto* resource = static_cast<const uint8_t*>(start);
    const DWORD size = SizeofResource(module, found);
    const DibLayout layout = ReadDibLayout(resource, size, size, DibSource::Resource);
    UniqueLocalMemory block = NewBlock();
    if (!layout.Loadable() || !block || !ShapeBlock(block, layout)) return FALSE;
    {
        LockedMemory bytes(block.get());
        if (!bytes) return FALSE;
        FillFromResource(static_cast<uint8_t*>(bytes.get()), resource, layout);
    }
    return FinishLoad(*this, block, dib);
}

BOOL DibLoader::LoadFromFile(const char* path, LoadedDib& dib)
{
    // CreateFileA rather than OpenFile: every path the settings can hold (254 characters).
    UniqueFile file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return FALSE;
    UniqueLocalMemory block = NewBlock();
    if (!block) return FALSE;
    const DibLayout layout = ReadFileLayout(file.get());
    if (!layout.Loadable() || !ShapeBlock(block, layout)) return FALSE;
    {
        LockedMemory bytes(block.get());
        if (!bytes || !FillFromFile(*this, file.get(), static_cast<uint8_t*>(bytes.get()), layout))
            return FALSE;
    }
    return FinishLoad(*this, block, dib);
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
    const auto* table = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(header) + header->biSize);
    PALETTEENTRY* entries = palette->palPalEntry;
    for (WORD i = 0; i < count; ++i) entries[i] = PALETTEENTRY{table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, 0};
    return UniquePalette(CreatePalette(palette));
}

UINT DibLoader::ReadInChunks(HANDLE file, void* destination, UINT count)
{
    auto readPiece = [file](uint8_t* to, uint32_t bytes) {
        return uint32_t(ReadUpTo(file, to, bytes));
    };
    return ReadInPieces(readPiece, static_cast<uint8_t*>(destination), count);
}

