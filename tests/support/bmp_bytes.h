// BMP pictures built byte by byte for the tests, and put on disk for the loaders to read.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "win32/handles.h"

namespace bmp_bytes {

// Colours are 0x00RRGGBB. Entry i of the usual table is (red i ^ 0x55, green 255 - i, blue i).
inline uint32_t UsualEntry(uint32_t i)
{
    return ((i ^ 0x55u) & 0xFF) << 16 | ((255 - i) & 0xFF) << 8 | (i & 0xFF);
}

inline std::vector<uint32_t> UsualTable(uint32_t entries)
{
    std::vector<uint32_t> table;
    for (uint32_t i = 0; i < entries; ++i) table.push_back(UsualEntry(i));
    return table;
}

// A picture with the 40-byte header, or a longer one (52 to 124 bytes) whose fields past the
// first 40 are the masks and then zeros. The fields are written as given, so the header may
// claim more than the bytes hold.
struct Picture {
    uint32_t headerSize = 40;
    int32_t width = 4;
    int32_t height = 2;
    uint16_t bitCount = 8;
    uint32_t compression = 0;  // BI_RGB
    uint32_t sizeImage = 0;
    uint32_t clrUsed = 0;
    uint32_t offBits = 0;                           // bfOffBits
    std::vector<uint32_t> table = UsualTable(256);  // the entries actually written
    uint32_t gap = 0;                               // bytes between the table and the pixels
    std::vector<uint8_t> pixels = std::vector<uint8_t>(8, 1);
    std::vector<uint32_t> masks;  // after a 40-byte header, else in the header's fields from byte 40
};

// The value's low `size` bytes at `at`, least significant first, as x86 and x64 keep them.
inline void Put(std::vector<uint8_t>& bytes, size_t at, uint32_t value, size_t size = 4)
{
    std::memcpy(&bytes[at], &value, size);
}

inline std::vector<uint8_t> Bytes(const Picture& picture)
{
    const bool longer = picture.headerSize > 40 && picture.headerSize <= 124;
    std::vector<uint8_t> bytes(longer ? 14 + picture.headerSize : 54 + 4 * picture.masks.size());
    std::memcpy(bytes.data(), "BM", 2);
    Put(bytes, 10, picture.offBits);
    Put(bytes, 14, picture.headerSize);
    Put(bytes, 18, uint32_t(picture.width));
    Put(bytes, 22, uint32_t(picture.height));
    Put(bytes, 26, 1, 2);
    Put(bytes, 28, picture.bitCount, 2);
    Put(bytes, 30, picture.compression);
    Put(bytes, 34, picture.sizeImage);
    Put(bytes, 46, picture.clrUsed);
    for (size_t i = 0; i < picture.masks.size(); ++i) Put(bytes, 54 + 4 * i, picture.masks[i]);
    for (const uint32_t colour : picture.table)  // blue, green, red and a zero
        bytes.insert(bytes.end(), {uint8_t(colour), uint8_t(colour >> 8), uint8_t(colour >> 16), 0});
    bytes.insert(bytes.end(), picture.gap, 0xAA);
    bytes.insert(bytes.end(), picture.pixels.begin(), picture.pixels.end());
    return bytes;
}

inline std::string TempFolder()
{
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return folder;
}

// Adds `bytes` of zeros to the end of a file, as a hole that costs no disk where the system allows.
inline bool Extend(const char* path, LONGLONG bytes)
{
    UniqueFile file(
        CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER end{};
    end.QuadPart = bytes;
    return file && SetFilePointerEx(file.get(), end, nullptr, FILE_END) && SetEndOfFile(file.get());
}

// A file written for one test and deleted after it.
class TempFile {
public:
    TempFile(const std::string& path, const std::vector<uint8_t>& bytes) : path_(path)
    {
        UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        written_ = file && WriteFile(file.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
                   written == bytes.size();
    }
    explicit TempFile(const std::vector<uint8_t>& bytes) : TempFile(TempFolder() + "tavrix_test.bmp", bytes)
    {
    }
    ~TempFile() { DeleteFileA(path_.c_str()); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const char* path() const { return path_.c_str(); }
    bool written() const { return written_; }

private:
    std::string path_;
    bool written_ = false;
};

}  // namespace bmp_bytes
