// Paints the saver window's background once (fades, the user's picture) and copies the window.
#include "imaging/backgrounds.h"

#include "imaging/dib_loader.h"
#include "imaging/gradient.h"
#include "settings/saver_settings.h"
#include "win32/handles.h"

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);

void PaintChosenBackground(HWND window, HDC dc, const SaverSettings& settings, const LoadStop& stop)
{
    // 3 and any unknown value paint nothing, like the desktop.
    switch (static_cast<BackgroundChoice>(settings.Background)) {
    case BackgroundChoice::Black: PaintGradient(window, dc, kBlack, kBlack); break;
    case BackgroundChoice::BlueFade: PaintGradient(window, dc, kBlue, kBlack); break;
    case BackgroundChoice::WhiteFade: PaintGradient(window, dc, kWhite, kBlack); break;
    case BackgroundChoice::Desktop: break;
    case BackgroundChoice::OwnBitmap: PaintBitmap(window, dc, settings.OwnBitmap, settings.Tiles != 0, stop); break;
    case BackgroundChoice::OwnColours: PaintGradient(window, dc, settings.Color1, settings.Color2); break;
    default: break;
    }
}

void PaintBand(HDC dc, const RECT& client, int row, COLORREF colour)
{
    UniqueBrush brush(CreateSolidBrush(colour));
    if (!brush) return;
    const RECT band{client.left, client.top + row, client.right, client.top + row + 1};
    FillRect(dc, &band, brush.get());
}

void StretchOver(HDC dc, const RECT& client, HDC picture, const BITMAP& size)
{
    StretchBlt(dc, 0, 0, client.right, client.bottom, picture, 0, 0, size.bmWidth, size.bmHeight,
               SRCCOPY);
}

// Columns left to right, each top to bottom; a tile may start right on the edge.
void TileOver(HDC dc, const RECT& client, HDC picture, const BITMAP& size)
{
    for (int x = 0; x <= client.right; x += size.bmWidth)
        for (int y = 0; y <= client.bottom; y += size.bmHeight)
            BitBlt(dc, x, y, size.bmWidth, size.bmHeight, picture, 0, 0, SRCCOPY);
}

void ShowPicture(HWND window, HDC dc, HBITMAP bitmap, bool tiled)
{
    BITMAP size{};
    RECT client{};
    if (!GetObjectA(bitmap, sizeof size, &size) || size.bmWidth <= 0 || size.bmHeight <= 0) return;
    if (!GetClientRect(window, &client)) return;
    BitmapSource picture(dc, bitmap);
    if (!picture) return;
    if (tiled)
        TileOver(dc, client, picture.get(), size);
    else
        StretchOver(dc, client, picture.get(), size);
}

}  // namespace

int PaintBackground(HWND window, const SaverSettings& settings, const LoadStop& stop)
{
    WindowDc dc(window);
    if (dc) PaintChosenBackground(window, dc.get(), settings, stop);
    return 0;
}

// One brush and one FillRect a row: the fade's banding is part of its look.
void PaintGradient(HWND window, HDC dc, COLORREF top, COLORREF bottom)
{
    RECT client{};
    if (!GetClientRect(window, &client)) return;
    const int height = client.bottom - client.top;
    for (int row = 0; row < height; ++row)
        PaintBand(dc, client, row, GradientRowColour(top, bottom, height, row));
}

void PaintBitmap(HWND window, HDC dc, const char* path, bool tiled, const LoadStop& stop)
{
    LoadedDib dib;
    if (!DibLoader().LoadFromFile(path, dib, stop)) {
        PaintGradient(window, dc, kBlack, kBlack);
        return;
    }
    // The window's DC keeps its palette (CS_OWNDC): ours goes back out before it is deleted.
    SelectedPalette palette(dc, dib.hPalette.get(), FALSE, false);
    RealizePalette(dc);
    ShowPicture(window, dc, dib.hBitmap.get(), tiled);
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
