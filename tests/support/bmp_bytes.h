// BMP pictures built byte by byte for the tests, and put on disk for the loaders to read.
#pragma once

#include <windows.h>

#include <cstdint>
#include <initializer_list>
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

// The colours of the given entries of the usual table.
inline std::vector<uint32_t> UsualEntries(std::initializer_list<uint32_t> entries)
{
    std::vector<uint32_t> colours;
    for (const uint32_t i : entries) colours.push_back(UsualEntry(i));
    return colours;
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

inline void Put16(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    bytes[at] = uint8_t(value);
    bytes[at + 1] = uint8_t(value >> 8);
}

inline void Put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    Put16(bytes, at, value & 0xFFFF);
    Put16(bytes, at + 2, value >> 16);
}

// "BM", bfOffBits and room for a header of headerSize bytes.
inline std::vector<uint8_t> FileStart(uint32_t offBits, uint32_t headerSize)
{
    std::vector<uint8_t> bytes(14 + headerSize);
    bytes[0] = 'B';
    bytes[1] = 'M';
    Put32(bytes, 10, offBits);
    Put32(bytes, 14, headerSize);
    return bytes;
}

// Blue, green, red, and a zero fourth byte for the 40-byte form.
inline void AppendEntry(std::vector<uint8_t>& bytes, uint32_t colour, bool quad)
{
    bytes.insert(bytes.end(), {uint8_t(colour), uint8_t(colour >> 8), uint8_t(colour >> 16)});
    if (quad) bytes.push_back(0);
}

inline std::vector<uint8_t> Bytes(const Picture& picture)
{
    const bool longer = picture.headerSize > 40 && picture.headerSize <= 124;
    std::vector<uint8_t> bytes = FileStart(picture.offBits, longer ? picture.headerSize : 40);
    Put32(bytes, 14, picture.headerSize);
    Put32(bytes, 18, uint32_t(picture.width));
    Put32(bytes, 22, uint32_t(picture.height));
    Put16(bytes, 26, 1);
    Put16(bytes, 28, picture.bitCount);
    Put32(bytes, 30, picture.compression);
    Put32(bytes, 34, picture.sizeImage);
    Put32(bytes, 38, 2835);  // pixels per metre and important colours: passed on, never decided on
    Put32(bytes, 42, 2836);
    Put32(bytes, 46, picture.clrUsed);
    Put32(bytes, 50, 7);
    if (!longer) bytes.resize(bytes.size() + 4 * picture.masks.size());
    for (size_t i = 0; i < picture.masks.size(); ++i) Put32(bytes, 54 + 4 * i, picture.masks[i]);
    for (const uint32_t colour : picture.table) AppendEntry(bytes, colour, true);
    bytes.insert(bytes.end(), picture.gap, 0xAA);
    bytes.insert(bytes.end(), picture.pixels.begin(), picture.pixels.end());
    return bytes;
}

// A picture with the 12-byte core header and the usual table in 3-byte entries.
inline std::vector<uint8_t> CoreBytes(uint16_t width, uint16_t height, uint16_t bitCount,
                                      uint32_t tableEntries, const std::vector<uint8_t>& pixels)
{
    std::vector<uint8_t> bytes = FileStart(0, 12);
    bytes.reserve(bytes.size() + 3 * size_t(tableEntries) + pixels.size());
    Put16(bytes, 18, width);
    Put16(bytes, 20, height);
    Put16(bytes, 22, 1);
    Put16(bytes, 24, bitCount);
    for (const uint32_t colour : UsualTable(tableEntries)) AppendEntry(bytes, colour, false);
    bytes.insert(bytes.end(), pixels.begin(), pixels.end());
    return bytes;
}

inline std::string TempFolder()
{
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return folder;
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
    explicit TempFile(const std::vector<uint8_t>& bytes) : TempFile(TempFolder() + "tavrix_test.bmp", bytes) {}
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
