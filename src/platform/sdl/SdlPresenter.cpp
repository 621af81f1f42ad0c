// The SDL window's presenter. The drawing area goes into a streaming texture of its own size; a whole
// multiple is one nearest-pixel copy of it into the client area; any other size is drawn once with nearest
// pixels into a render texture of the largest whole multiple that fits, which one linear copy scales the
// rest of the way ("sharp bilinear"). A frame is presented only when the display's next refresh is due, so
// the passes never wait for the screen and the screen never shows more frames than it can.
#include "platform/sdl/SdlPresenter.h"

constexpr Uint8 MenuGrey = 240;
constexpr int32_t UnknownRefreshRate = 60;

static SDL_Renderer* Renderer;
static SDL_Texture* Frame;
static SDL_Texture* Whole;
static int32_t WholeMultiple;
static bool TargetsWork;
static TScaling Scaling = TScaling::Sharp;
static TPresenting Presenting = TPresenting::DisplayRate;
static bool Fullscreen;
// The newest frame not shown yet, and when the next refresh is due (performance counter).
static const TCanvas* Kept;
static TRect KeptRect;
static bool Waiting;
static Uint64 NextPresent;
static Uint64 RefreshPeriod;

bool SdlPresenterCreate(SDL_Window* window) {
    Renderer = SDL_CreateRenderer(window, -1, 0);
    if (Renderer == nullptr) Renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    if (Renderer == nullptr) return false;
    Frame = SDL_CreateTexture(Renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                              DrawingAreaWidth, DrawingAreaHeight);
    if (Frame == nullptr) return false;
    SDL_SetTextureScaleMode(Frame, SDL_ScaleModeNearest);
    TargetsWork = SDL_RenderTargetSupported(Renderer) == SDL_TRUE;
    Waiting = false;
    Kept = nullptr;
    NextPresent = 0;
    RefreshPeriod = SDL_GetPerformanceFrequency() / UnknownRefreshRate;
    return true;
}

void SdlPresenterDestroy() {
    if (Whole != nullptr) SDL_DestroyTexture(Whole);
    if (Frame != nullptr) SDL_DestroyTexture(Frame);
    if (Renderer != nullptr) SDL_DestroyRenderer(Renderer);
    Whole = nullptr;
    Frame = nullptr;
    Renderer = nullptr;
    WholeMultiple = 0;
    Kept = nullptr;
    Waiting = false;
}

void SdlPresenterConfigure(TScaling scaling, TPresenting presenting, bool fullscreen) {
    Scaling = scaling;
    Presenting = presenting;
    Fullscreen = fullscreen;
}

void SdlPresenterFollowDisplay() {
    if (Renderer == nullptr) return;
    SDL_Window* window = SDL_RenderGetWindow(Renderer);
    SDL_DisplayMode mode;
    const int display = window != nullptr ? SDL_GetWindowDisplayIndex(window) : -1;
    int rate = UnknownRefreshRate;
    if (display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0 && mode.refresh_rate > 0)
        rate = mode.refresh_rate;
    RefreshPeriod = SDL_GetPerformanceFrequency() / (Uint64)rate;
}

void SdlPresenterOutputSize(int32_t* width, int32_t* height) {
    int w = DrawingAreaWidth;
    int h = DrawingAreaHeight;
    if (Renderer != nullptr) SDL_GetRendererOutputSize(Renderer, &w, &h);
    *width = w;
    *height = h;
}

static void ClearToBackground() {
    const Uint8 shade = Fullscreen ? 0 : MenuGrey;
    SDL_SetRenderDrawColor(Renderer, shade, shade, shade, 255);
    SDL_RenderClear(Renderer);
}

void SdlPresenterShowBackground() {
    if (Renderer == nullptr) return;
    ClearToBackground();
    SDL_RenderPresent(Renderer);
}

// The render texture of the whole-number step, made anew only when the multiple changes (a resize).
static bool HaveWhole(int32_t multiple) {
    if (Whole != nullptr && WholeMultiple == multiple) return true;
    if (Whole != nullptr) SDL_DestroyTexture(Whole);
    Whole = SDL_CreateTexture(Renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET,
                              DrawingAreaWidth * multiple, DrawingAreaHeight * multiple);
    WholeMultiple = Whole != nullptr ? multiple : 0;
    if (Whole != nullptr) SDL_SetTextureScaleMode(Whole, SDL_ScaleModeLinear);
    return Whole != nullptr;
}

// The kept frame's rect, cut to the drawing area (window coordinates from WindowFrameLeft, WindowFrameTop),
// into the frame texture.
static void UploadKept() {
    const TCanvas& frame = *Kept;
    SDL_Rect area{KeptRect.Left, KeptRect.Top, KeptRect.Right - KeptRect.Left,
                  KeptRect.Bottom - KeptRect.Top};
    const SDL_Rect drawing{WindowFrameLeft, WindowFrameTop, DrawingAreaWidth, DrawingAreaHeight};
    const SDL_Rect buffer{0, 0, frame.Width, frame.Height};
    SDL_Rect shown;
    SDL_Rect inside;
    if (SDL_IntersectRect(&area, &drawing, &shown) != SDL_TRUE) return;
    if (SDL_IntersectRect(&shown, &buffer, &inside) != SDL_TRUE) return;
    const SDL_Rect target{inside.x - WindowFrameLeft, inside.y - WindowFrameTop, inside.w, inside.h};
    const uint32_t* first = frame.Pixels + (size_t)inside.y * (size_t)frame.Width + (size_t)inside.x;
    SDL_UpdateTexture(Frame, &target, first, frame.Width * (int)sizeof(uint32_t));
}

static void Present() {
    Waiting = false;
    if (Renderer == nullptr || Kept == nullptr || Kept->Pixels == nullptr) return;
    UploadKept();
    int32_t width = 0;
    int32_t height = 0;
    SdlPresenterOutputSize(&width, &height);
    const TPresentLayout layout = PresentLayout(width, height, Scaling);
    const SDL_Rect target{layout.X, layout.Y, layout.Width, layout.Height};
    const bool exact =
        layout.Width == DrawingAreaWidth * layout.Whole && layout.Height == DrawingAreaHeight * layout.Whole;
    if (!exact && TargetsWork && HaveWhole(layout.Whole)) {
        SDL_SetRenderTarget(Renderer, Whole);
        SDL_RenderCopy(Renderer, Frame, nullptr, nullptr);
        SDL_SetRenderTarget(Renderer, nullptr);
        ClearToBackground();
        SDL_RenderCopy(Renderer, Whole, nullptr, &target);
    } else {
        // A whole multiple, or a renderer without render textures: one copy with the frame's own filter.
        SDL_SetTextureScaleMode(Frame, exact ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
        ClearToBackground();
        SDL_RenderCopy(Renderer, Frame, nullptr, &target);
    }
    SDL_RenderPresent(Renderer);
}

void SdlPresenterCatchUp() {
    if (!Waiting) return;
    const Uint64 now = SDL_GetPerformanceCounter();
    if (Presenting == TPresenting::DisplayRate && now < NextPresent) return;
    // The next refresh one period on; after a long pause (a window dragged) counted from now.
    NextPresent = now - NextPresent < RefreshPeriod ? NextPresent + RefreshPeriod : now + RefreshPeriod;
    Present();
}

void SdlPresenterTakeFrame(const TCanvas* frame, TRect rect) {
    Kept = frame;
    KeptRect = rect;
    Waiting = true;
    SdlPresenterCatchUp();
}

void SdlPresenterRedraw() {
    Waiting = Kept != nullptr;
}

void SdlPresenterForgetFrame() {
    Kept = nullptr;
    Waiting = false;
}
