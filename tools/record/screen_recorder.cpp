// Takes screenshots of the whole screen at a steady rate and writes them as BMP files, with the moment
// each was taken, for tools/run.sh --record to turn into an animated picture of the running saver.
//   screen_recorder.exe <folder> <seconds> [frames per second, default 10]
// Writes <folder>\frame-0001.bmp ... and <folder>\frames.txt ("frame-0001.bmp <ms since the start>").
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "imaging/dib_pixels.h"

namespace {

// A memory copy of the screen: the one owner of the screen DC, the memory DC and its DIB section.
class ScreenGrabber {
public:
    ScreenGrabber() : width_(GetSystemMetrics(SM_CXSCREEN)), height_(GetSystemMetrics(SM_CYSCREEN))
    {
        screen_ = GetDC(nullptr);
        memory_ = CreateCompatibleDC(screen_);
        info_.biSize = sizeof(info_);
        info_.biWidth = width_;
        info_.biHeight = height_;  // bottom-up, as a BMP file stores its rows
        info_.biPlanes = 1;
        info_.biBitCount = 24;
        info_.biCompression = BI_RGB;
        info_.biSizeImage = static_cast<DWORD>(Stride() * height_);
        bitmap_ = CreateDIBSection(memory_, reinterpret_cast<BITMAPINFO*>(&info_), DIB_RGB_COLORS, &bits_,
                                   nullptr, 0);
        if (bitmap_) previous_ = SelectObject(memory_, bitmap_);
    }
    ~ScreenGrabber()
    {
        if (previous_) SelectObject(memory_, previous_);
        if (bitmap_) DeleteObject(bitmap_);
        if (memory_) DeleteDC(memory_);
        if (screen_) ReleaseDC(nullptr, screen_);
    }
    ScreenGrabber(const ScreenGrabber&) = delete;
    ScreenGrabber& operator=(const ScreenGrabber&) = delete;

    bool Ready() const { return bits_ != nullptr; }

    bool Grab()
    {
        BOOL copied = BitBlt(memory_, 0, 0, width_, height_, screen_, 0, 0, SRCCOPY);
        GdiFlush();
        return copied != FALSE;
    }

    bool Save(const std::string& path) const
    {
        BITMAPFILEHEADER header = {};
        header.bfType = 0x4D42;  // "BM"
        header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
        header.bfSize = header.bfOffBits + info_.biSizeImage;
        FILE* file = std::fopen(path.c_str(), "wb");
        if (!file) return false;
        bool written = std::fwrite(&header, sizeof(header), 1, file) == 1 &&
                       std::fwrite(&info_, sizeof(info_), 1, file) == 1 &&
                       std::fwrite(bits_, info_.biSizeImage, 1, file) == 1;
        return std::fclose(file) == 0 && written;
    }

private:
    int Stride() const { return int(StrideOf(uint64_t(width_), 24)); }

    int width_;
    int height_;
    HDC screen_ = nullptr;
    HDC memory_ = nullptr;
    BITMAPINFOHEADER info_ = {};
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    void* bits_ = nullptr;
};

struct Frame {
    std::string name;
    DWORD at;  // ms since the first slot
};

bool WriteList(const std::string& path, const std::vector<Frame>& frames)
{
    FILE* file = std::fopen(path.c_str(), "w");
    if (!file) return false;
    for (const Frame& frame : frames) std::fprintf(file, "%s %lu\n", frame.name.c_str(), frame.at);
    return std::fclose(file) == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: screen_recorder.exe <folder> <seconds> [frames per second]\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "\\";
    const DWORD duration = static_cast<DWORD>(std::atof(argv[2]) * 1000);
    const int rate = argc > 3 ? std::atoi(argv[3]) : 10;
    const DWORD interval = rate > 0 ? 1000 / rate : 100;

    ScreenGrabber grabber;
    if (!grabber.Ready()) {
        std::fprintf(stderr, "cannot copy the screen\n");
        return 1;
    }
    timeBeginPeriod(1);
    std::vector<Frame> frames;
    DWORD skipped = 0;
    DWORD slowest = 0;
    DWORD busy = 0;
    const DWORD start = timeGetTime();
    // Frame n is due at n intervals after the start; a slot the machine was too busy for is left out,
    // so the pictures keep to the clock and the list says when each one was really taken.
    for (DWORD slot = 0; slot * interval < duration; ++slot) {
        DWORD due = start + slot * interval;
        DWORD now = timeGetTime();
        if (static_cast<LONG>(now - due) >= static_cast<LONG>(interval)) {
            ++skipped;
            continue;
        }
        if (static_cast<LONG>(due - now) > 0) Sleep(due - now);
        DWORD taken = timeGetTime();
        char name[32];
        std::snprintf(name, sizeof(name), "frame-%04u.bmp", static_cast<unsigned>(frames.size() + 1));
        if (!grabber.Grab() || !grabber.Save(folder + name)) {
            std::fprintf(stderr, "cannot write %s%s\n", folder.c_str(), name);
            timeEndPeriod(1);
            return 1;
        }
        DWORD cost = timeGetTime() - taken;
        busy += cost;
        if (cost > slowest) slowest = cost;
        frames.push_back({name, taken - start});
    }
    timeEndPeriod(1);
    if (!WriteList(folder + "frames.txt", frames)) return 1;
    std::printf("%u frames in %.1f s, %lu slots left out; a frame took %.0f ms on average, %lu ms at most\n",
                static_cast<unsigned>(frames.size()), duration / 1000.0, skipped,
                frames.empty() ? 0.0 : static_cast<double>(busy) / frames.size(), slowest);
    return 0;
}
