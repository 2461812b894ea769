// The first stage: paints the chosen background once, then gives way to the pictures.
#include "engine/background_stage.h"

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);

BackgroundLook Fade(COLORREF top, COLORREF bottom)
{
    BackgroundLook look;
    look.kind = BackgroundLook::Kind::Fade;
    look.top = top;
    look.bottom = bottom;
    return look;
}

// A key or mouse button pressed while the user's bitmap loads: the saver is about to close,
// so the load is given up. A release alone (the key that started the saver) is no reason.
// Nothing is taken from the queue; GetQueueStatus first, as it is cheap and mostly says no.
bool PressWaits()
{
    if (HIWORD(GetQueueStatus(QS_KEY | QS_MOUSEBUTTON)) == 0) return false;
    MSG message;
    for (const UINT press : {WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN})
        if (PeekMessageA(&message, nullptr, press, press, PM_NOREMOVE | PM_NOYIELD)) return true;
    return false;
}

// The preview, a child of the display properties, never ends on input.
bool FullScreen(HWND window)
{
    return !(GetWindowLongA(window, GWL_STYLE) & WS_CHILD);
}

}  // namespace

BackgroundLook BackgroundLookFor(const SaverSettings& settings)
{
    switch (static_cast<BackgroundChoice>(settings.Background)) {
    case BackgroundChoice::Black: return Fade(kBlack, kBlack);
    case BackgroundChoice::BlueFade: return Fade(kBlue, kBlack);
    case BackgroundChoice::WhiteFade: return Fade(kWhite, kBlack);
    case BackgroundChoice::OwnColours: return Fade(settings.Color1, settings.Color2);
    case BackgroundChoice::OwnBitmap: {
        BackgroundLook look;
        look.kind = BackgroundLook::Kind::Picture;
        look.picture = settings.OwnBitmap;
        look.tiled = settings.Tiles != 0;
        return look;
    }
    default: return BackgroundLook();
    }
}

BackgroundStage::BackgroundStage(HWND window) : SaverStage(window)
{
    StartFrameTimer();
}

BackgroundStage::~BackgroundStage()
{
    StopFrameTimer();
}

int BackgroundStage::OnTimer(HWND window)
{
    const BackgroundLook look = BackgroundLookFor(*settings);
    if (!FullScreen(window)) return PaintBackground(window, look);
    const LoadStop stop = [this] {
        if (PressWaits()) MarkBackgroundCutShort();
        return BackgroundCutShort();
    };
    return PaintBackground(window, look, stop);
}
