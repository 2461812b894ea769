// Paints the saver window's background once (fades, the user's picture) and copies the window.
#include "imaging/backgrounds.h"

#include "imaging/dib_loader.h"
#include "imaging/gradient.h"
#include "win32/handles.h"
#include "win32/monitors.h"

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);

void PaintBand(HDC dc, const RECT& area, int row, COLORREF colour)
{
    UniqueBrush brush(CreateSolidBrush(colour));
    if (!brush) return;
    const RECT band{area.left, area.top + row, area.right, area.top + row + 1};
    FillRect(dc, &band, brush.get());
}

void GradientOver(HDC dc, const std::vector<RECT>& areas, COLORREF top, COLORREF bottom)
{
    for (const RECT& area : areas) PaintGradient(dc, area, top, bottom);
}

// Stretched over the area, or tiled from its top-left corner.
void StretchOver(HDC dc, const RECT& area, HDC picture, const BITMAP& size)
{
    StretchBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, picture, 0, 0,
               size.bmWidth, size.bmHeight, SRCCOPY);
}

// Columns left to right, each top to bottom; a tile may start right on the edge. Tiles stay in
// their area: on the next monitor the pattern starts afresh.
void TileOver(HDC dc, const RECT& area, HDC picture, const BITMAP& size)
{
    const RECT shown = area;
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, shown.left, shown.top, shown.right, shown.bottom);
    for (int x = 0; x <= area.right - area.left; x += size.bmWidth)
        for (int y = 0; y <= area.bottom - area.top; y += size.bmHeight)
            BitBlt(dc, area.left + x, area.top + y, size.bmWidth, size.bmHeight, picture, 0, 0, SRCCOPY);
    RestoreDC(dc, saved);
}

void ShowPicture(HDC dc, const std::vector<RECT>& areas, HBITMAP bitmap, bool tiled)
{
    BITMAP size{};
    if (!GetObjectA(bitmap, sizeof size, &size) || size.bmWidth <= 0 || size.bmHeight <= 0) return;
    BitmapSource picture(dc, bitmap);
    if (!picture) return;
    for (const RECT& area : areas) {
        if (tiled)
            TileOver(dc, area, picture.get(), size);
        else
            StretchOver(dc, area, picture.get(), size);
    }
}

void PaintLook(HDC dc, const std::vector<RECT>& areas, const BackgroundLook& look, const LoadStop& stop)
{
    switch (look.kind) {
    case BackgroundLook::Kind::Fade: GradientOver(dc, areas, look.top, look.bottom); break;
    case BackgroundLook::Kind::Picture: PaintBitmap(dc, areas, look.picture, look.tiled, stop); break;
    case BackgroundLook::Kind::Nothing: break;
    }
}

}  // namespace

// Each monitor gets the whole background, as if it were the only one.
int PaintBackground(HWND window, const BackgroundLook& look, const LoadStop& stop)
{
    WindowDc dc(window);
    if (dc) PaintLook(dc.get(), MonitorsInClient(window), look, stop);
    return 0;
}

// One brush and one FillRect a row: the fade's banding is part of its look.
void PaintGradient(HDC dc, const RECT& area, COLORREF top, COLORREF bottom)
{
    const int height = area.bottom - area.top;
    for (int row = 0; row < height; ++row)
        PaintBand(dc, area, row, GradientRowColour(top, bottom, height, row));
}

void PaintBitmap(HDC dc, const std::vector<RECT>& areas, const char* path, bool tiled, const LoadStop& stop)
{
    LoadedDib dib;
    if (!DibLoader().LoadFromFile(path, dib, stop)) {
        GradientOver(dc, areas, kBlack, kBlack);
        return;
    }
    // The window's DC keeps its palette (CS_OWNDC): ours goes back out before it is deleted.
    SelectedPalette palette(dc, dib.hPalette.get(), FALSE, false);
    RealizePalette(dc);
    ShowPicture(dc, areas, dib.hBitmap.get(), tiled);
}

UniqueBitmap CaptureScreen(HWND window, int width, int height)
{
    WindowDc screen(window);
    if (!screen) return UniqueBitmap();
    UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), width, height));
    BitmapSource copy(screen.get(), bitmap.get());
    if (!bitmap || !copy) return UniqueBitmap();
    BitBlt(copy.get(), 0, 0, width, height, screen.get(), 0, 0, SRCCOPY);
    return bitmap;
}
