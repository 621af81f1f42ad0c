// The web backend. The window is the page's canvas of the drawing area's size; the frame reaches it when
// the browser paints (WebTakeFrame), so a pass costs no more than a pointer kept, and only the frames the
// screen can show are converted. Keys come in with their virtual-key codes and the desktop's lParam bits.
#include "platform/web/WebPlatform.h"

#include <emscripten.h>

// The outer window size includes a 2-pixel frame left, right and below and a 26-pixel title band on top;
// the canvas is what lies inside.
constexpr int32_t FrameLeft = 2;
constexpr int32_t FrameTop = 26;
constexpr int32_t FrameWidth = 4;
constexpr int32_t FrameHeight = 28;
constexpr int32_t WindowHandleValue = 1;
constexpr int32_t MostCanvasPixels = 4096 * 4096;
constexpr int32_t InputCapacity = 1024;

struct TWebInput {
    uint32_t Message;
    uint32_t VirtualKey;
    int32_t LParam;
};

static TWebInput Input[InputCapacity];
static int32_t InputLength;
static double SleepEnd;
static int32_t PointerX;
static bool CursorSampled;
static TPoint CursorSample;
static int32_t ClientWidth;
static int32_t ClientHeight;
static const TCanvas* LastFrame;
static TRect LastRect;
static bool FrameWaiting;
// The canvas's pixels as the browser wants them, made when a frame is shown.
static uint32_t* Shown;
static int32_t ShownCapacity;

EM_JS(void, SizeAndTitlePage, (const char* title, int32_t width, int32_t height), {
    if (Module.onWindow) Module.onWindow(UTF8ToString(title), width, height);
});

double WebNowMs() {
    return emscripten_get_now();
}

double WebSleepEnd() {
    return SleepEnd;
}

void WebQueueKey(uint32_t message, uint32_t virtualKey, int32_t lParam) {
    if (InputLength < InputCapacity) Input[InputLength++] = TWebInput{message, virtualKey, lParam};
}

void WebSetPointerX(int32_t x) {
    PointerX = x;
}

int32_t WebCreateWindow(const char* title, int32_t width, int32_t height) {
    ClientWidth = width - FrameWidth > 1 ? width - FrameWidth : 1;
    ClientHeight = height - FrameHeight > 1 ? height - FrameHeight : 1;
    if (ClientWidth * ClientHeight > MostCanvasPixels) return 0;
    // Made once for the largest window so far: the page's one allocation of its own, never during a pass.
    if (ClientWidth * ClientHeight > ShownCapacity) {
        delete[] Shown;
        ShownCapacity = ClientWidth * ClientHeight;
        Shown = new uint32_t[(size_t)ShownCapacity];
    }
    for (int32_t i = 0; i < ClientWidth * ClientHeight; i++)
        Shown[i] = 0xFFF0F0F0u; // the menu grey the window shows before the first frame
    LastFrame = nullptr;
    FrameWaiting = true;
    InputLength = 0;
    CursorSampled = false;
    SizeAndTitlePage(title, ClientWidth, ClientHeight);
    return WindowHandleValue;
}

void WebCopyToWindow(const TCanvas* frame, TRect rect) {
    LastFrame = frame;
    LastRect = rect;
    FrameWaiting = true;
}

// 0xFFRRGGBB to the bytes R, G, B, A in memory.
static uint32_t RgbaFromPixel(uint32_t pixel) {
    return (pixel & 0xFF00FF00u) | ((pixel >> 16) & 0xFFu) | ((pixel & 0xFFu) << 16);
}

// The copied rect of the frame at canvas position (x - 2, y - 26), one to one.
static void ConvertLastFrame() {
    if (LastFrame == nullptr || LastFrame->Pixels == nullptr) return;
    const TCanvas& frame = *LastFrame;
    const int32_t left = LastRect.Left > FrameLeft ? LastRect.Left : FrameLeft;
    const int32_t top = LastRect.Top > FrameTop ? LastRect.Top : FrameTop;
    int32_t right = LastRect.Right < FrameLeft + ClientWidth ? LastRect.Right : FrameLeft + ClientWidth;
    int32_t bottom = LastRect.Bottom < FrameTop + ClientHeight ? LastRect.Bottom : FrameTop + ClientHeight;
    if (right > frame.Width) right = frame.Width;
    if (bottom > frame.Height) bottom = frame.Height;
    for (int32_t y = top; y < bottom; y++) {
        const uint32_t* from = frame.Pixels + (size_t)y * (size_t)frame.Width;
        uint32_t* to = Shown + (size_t)(y - FrameTop) * (size_t)ClientWidth - FrameLeft;
        for (int32_t x = left; x < right; x++)
            to[x] = RgbaFromPixel(from[x]);
    }
}

const uint8_t* WebTakeFrame() {
    if (!FrameWaiting || Shown == nullptr) return nullptr;
    FrameWaiting = false;
    ConvertLastFrame();
    return (const uint8_t*)Shown;
}

void WebKeepLastFrame() {
    if (!FrameWaiting) return;
    ConvertLastFrame();
    LastFrame = nullptr;
}

int32_t WebFrameWidth() {
    return ClientWidth;
}
int32_t WebFrameHeight() {
    return ClientHeight;
}

static void ShowWebWindow(int32_t) {}
static void DestroyWebWindow(int32_t) {}
static void ReleaseWebWindow() {
    WebKeepLastFrame();
}

static uint32_t WebTickCount() {
    return (uint32_t)(uint64_t)emscripten_get_now();
}

static void WebSleep(uint32_t ms) {
    SleepEnd = emscripten_get_now() + ms;
}

static void WebCursorPos(TPoint* point) {
    if (!CursorSampled) CursorSample = TPoint{PointerX, 0};
    CursorSampled = true;
    *point = CursorSample;
}

// The input that came since the last poll joins the queue, stamped with the tick and the pointer; they
// are read here directly, not through the game's calls, which a recording would write down.
static void PumpWebEvents() {
    CursorSampled = false; // a new pass
    for (int32_t i = 0; i < InputLength; i++)
        PostWindowMessage(Input[i].Message, Input[i].VirtualKey, Input[i].LParam, WebTickCount(),
                          TPoint{PointerX, 0});
    InputLength = 0;
}

static int32_t ContinueWebLoop() {
    return 1;
}

static const TPlatformBackend Web = {
    .CreateGameWindow = WebCreateWindow,
    .ShowGameWindow = ShowWebWindow,
    .PumpEvents = PumpWebEvents,
    .DestroyGameWindow = DestroyWebWindow,
    .GetTickCount = WebTickCount,
    .Sleep = WebSleep,
    .GetCursorPos = WebCursorPos,
    .CopyToWindow = WebCopyToWindow,
    .ReleaseGameWindow = ReleaseWebWindow,
    .ContinueLoop = ContinueWebLoop,
};

const TPlatformBackend* WebBackend() {
    return &Web;
}
