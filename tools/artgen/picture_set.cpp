// Renders, quantizes, encodes and verifies the pictures; names and sizes follow the subject table.
#include "picture_set.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <thread>
#include <vector>

#include "bmp_writer.h"
#include "file_bytes.h"
#include "quantize.h"
#include "scenes.h"

namespace {

constexpr int kStyleCount = 2;  // 0: colour, 1: grey
constexpr int kMinWidth = 395, kMaxWidth = 488, kMinHeight = 230, kMaxHeight = 277;

struct PictureFile {
    std::string name;
    IndexedPicture picture;
    BmpCompression compression;
};

std::string FileName(int style, int number)
{
    char name[32];
    std::snprintf(name, sizeof name, "STYLE%02d_PIC%02d.bmp", style, number);
    return name;
}

// Odd-numbered pictures are stored plain, even-numbered ones run-length encoded.
BmpCompression CompressionFor(int number)
{
    return number % 2 == 0 ? BmpCompression::Rle8 : BmpCompression::None;
}

// One subject in both styles; each job writes only its own two slots.
void RenderSubject(size_t index, std::vector<PictureFile>& files)
{
    const Subject& subject = Subjects()[index];
    Image image(subject.width, subject.height);
    subject.paint(image);
    int number = int(index) + 1;
    files[index] = {FileName(0, number), QuantizeToColours(image), CompressionFor(number)};
    files[Subjects().size() + index] = {FileName(1, number), QuantizeToGreys(image), CompressionFor(number)};
}

// Subjects are independent, so they are shared out over the processors; the result does not
// depend on which thread drew what. Without threads everything is drawn on this one.
std::vector<PictureFile> RenderAll()
{
    const size_t count = Subjects().size();
    std::vector<PictureFile> files(size_t(kStyleCount) * count);
    std::atomic<size_t> next{0};
    auto work = [&] {
        for (size_t i = next++; i < count; i = next++) RenderSubject(i, files);
    };
    std::vector<std::thread> helpers;
    unsigned extra = std::min(std::max(std::thread::hardware_concurrency(), 1u) - 1u, 7u);
    try {
        for (unsigned i = 0; i < extra; ++i) helpers.emplace_back(work);
    } catch (const std::system_error&) {
        // No threads available: the loop below simply does all the work.
    }
    work();
    for (std::thread& helper : helpers) helper.join();
    return files;
}

// The file must parse, carry the intended compression and decode to exactly the picture.
bool MatchesPicture(const std::vector<uint8_t>& bytes, const PictureFile& expected, std::string& error)
{
    IndexedPicture decoded;
    BmpCompression compression;
    if (!ReadBmp(bytes, decoded, compression, error)) return false;
    if (compression != expected.compression)
        error = "unexpected compression";
    else if (!(decoded == expected.picture))
        error = "pixels or palette differ from the render";
    else
        return true;
    return false;
}

bool SizeIsAllowed(const IndexedPicture& p)
{
    return p.width >= kMinWidth && p.width <= kMaxWidth && p.height >= kMinHeight && p.height <= kMaxHeight;
}

bool IsGrey(const IndexedPicture& p)
{
    for (const PaletteColour& c : p.palette)
        if (c.red != c.green || c.green != c.blue) return false;
    return true;
}

// What is wrong with picture i of the set, if anything: sizes in range, pairs (1,2), (3,4) ...
// alike in both styles, the grey style really grey.
const char* FaultIn(const std::vector<PictureFile>& files, size_t i)
{
    const size_t count = Subjects().size();
    const IndexedPicture& p = files[i].picture;
    const IndexedPicture& partner = files[i ^ 1].picture;
    const IndexedPicture& twin = files[i < count ? i + count : i - count].picture;
    if (!SizeIsAllowed(p)) return "size out of range";
    if (p.width != partner.width || p.height != partner.height) return "pair sizes differ";
    if (p.width != twin.width || p.height != twin.height) return "styles differ in size";
    if ((i >= count) != IsGrey(p)) return "wrong palette kind";
    return nullptr;
}

bool SetIsConsistent(const std::vector<PictureFile>& files, std::ostream& log)
{
    for (size_t i = 0; i < files.size(); ++i) {
        if (const char* fault = FaultIn(files, i)) {
            log << files[i].name << ": " << fault << "\n";
            return false;
        }
    }
    return true;
}

}  // namespace

bool WritePictures(const std::string& directory, std::ostream& log)
{
    std::vector<PictureFile> files = RenderAll();
    if (!SetIsConsistent(files, log)) return false;
    std::error_code ignored;
    std::filesystem::create_directories(directory, ignored);
    for (const PictureFile& file : files) {
        std::vector<uint8_t> bytes = BuildBmp(file.picture, file.compression);
        std::filesystem::path path = std::filesystem::path(directory) / file.name;
        std::vector<uint8_t> written;
        std::string error;
        if (!MatchesPicture(bytes, file, error)) {
            log << file.name << ": " << error << "\n";
            return false;
        }
        if (!WriteWholeFile(path, bytes) || !ReadWholeFile(path, written) || written != bytes) {
            log << path.string() << ": cannot write the file\n";
            return false;
        }
    }
    log << "artgen: " << files.size() << " pictures written to " << directory << "\n";
    return true;
}

bool CheckPictures(const std::string& directory, std::ostream& log)
{
    std::vector<PictureFile> files = RenderAll();
    if (!SetIsConsistent(files, log)) return false;
    bool allGood = true;
    for (const PictureFile& file : files) {
        std::filesystem::path path = std::filesystem::path(directory) / file.name;
        std::vector<uint8_t> bytes;
        std::string error = "cannot read the file";
        bool good = ReadWholeFile(path, bytes) && MatchesPicture(bytes, file, error);
        log << file.name << ": " << (good ? "ok" : error) << "\n";
        allGood = allGood && good;
    }
    return allGood;
}
