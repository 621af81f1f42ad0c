// The web backend. The window is the page's canvas of the drawing area's size; the frame reaches it when
// the browser paints (WebTakeFrame), so a pass costs no more than a pointer kept, and only the frames the
// screen can show are converted. Keys come in with their virtual-key codes and the desktop's lParam bits.
#include "platform/web/WebPlatform.h"

#include <emscripten.h>

#include "platform/Gamepad.h"
#include "platform/VirtualKeys.h"

// The canvas is the window's client area.
constexpr int32_t MostCanvasPixels = 4096 * 4096;
constexpr int32_t InputCapacity = 1024;

struct TWebInput {
    uint32_t Message;
    uint32_t VirtualKey;
    int32_t LParam;
};

static TWebInput Input[InputCapacity];
static int32_t PadNumbers[MostPads * 5];
static TPadState Pads[MostPads];
static TPadMapper Mapper;
static TPadSettings PadSettings;
static int32_t InputLength;
static double SleepEnd;
static int32_t PointerX;
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

// The browser's pads of the standard layout, at most most of them, into five numbers each: connected, the
// left stick's x, the left and right triggers (in 32767ths) and the buttons (Gamepad.h's bits). A browser
// shows a pad only once one of its buttons was pressed on the page. Tells the page (Module.onPadUsed) when a
// button is down, so that it can put its touch controls away.
// clang-format off
EM_JS(void, WebReadPads, (int32_t* into, int32_t most), {
    const pads = navigator.getGamepads ? navigator.getGamepads() : [];
    const part = (value) => Number.isFinite(value) ? Math.round(Math.max(-1, Math.min(1, value)) * 32767) : 0;
    // The standard layout's buttons in the order of Gamepad.h's bits: A, B, X, Y, the shoulders, Back,
    // Start, then up, down, left and right.
    const order = [0, 1, 2, 3, 4, 5, 8, 9, 12, 13, 14, 15];
    let pressed = false;
    for (let slot = 0; slot < most; slot++) {
        const at = (into >> 2) + slot * 5;
        const pad = slot < pads.length ? pads[slot] : null;
        HEAP32.fill(0, at, at + 5);
        if (!pad || !pad.connected || pad.mapping !== 'standard') continue;
        const button = (index) => pad.buttons[index] || { pressed: false, value: 0 };
        let bits = 0;
        order.forEach((index, bit) => { if (button(index).pressed) bits |= 1 << bit; });
        HEAP32[at] = 1;
        HEAP32[at + 1] = part(pad.axes[0]);
        HEAP32[at + 2] = part(button(6).value);
        HEAP32[at + 3] = part(button(7).value);
        HEAP32[at + 4] = bits;
        pressed = pressed || bits !== 0 || button(6).pressed || button(7).pressed;
    }
    if (pressed && Module.onPadUsed) Module.onPadUsed();
});
// clang-format on

EM_JS(void, SendToPageFile, (int32_t id, const char* bytes, size_t length), {
    if (Module.onPageFile) Module.onPageFile(id, HEAPU8.slice(bytes, bytes + length));
});

static ssize_t WebWritePageFile(void* cookie, const char* bytes, size_t length) {
    SendToPageFile((int32_t)(intptr_t)cookie, bytes, length);
    return (ssize_t)length;
}

FILE* WebOpenPageFile(int32_t id) {
    const cookie_io_functions_t calls{nullptr, WebWritePageFile, nullptr, nullptr};
    return fopencookie((void*)(intptr_t)id, "w", calls);
}

EM_JS(void, SendNewsToPage, (const char* kind, int32_t value, const char* text), {
    if (Module.onNews) Module.onNews(UTF8ToString(kind), value, UTF8ToString(text));
});

void WebTellPage(const char* kind, int32_t value, const char* text) {
    SendNewsToPage(kind, value, text);
}

double WebNowMs() {
    return emscripten_get_now();
}

double WebSleepEnd() {
    return SleepEnd;
}

bool WebQueueKey(int32_t virtualKey, bool down, bool repeat, bool altHeld) {
    if (TakeRecordsViewKey(virtualKey, down, repeat)) return true;
    if (InputLength >= InputCapacity) return false;
    Input[InputLength++] = TWebInput{KeyMessage(virtualKey, down, altHeld), (uint32_t)virtualKey,
                                     KeyMessageFlags(down, repeat, 0)};
    return false;
}

void WebSetPointerX(int32_t x) {
    PointerX = x;
}

void WebUsePadSettings(const TPadSettings& settings) {
    PadSettings = settings;
}

int32_t WebCreateGameWindow(const char* title, int32_t width, int32_t height) {
    ClientWidth = ClientSide(width, WindowFrameWidth);
    ClientHeight = ClientSide(height, WindowFrameHeight);
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
    PadMapperStart(&Mapper, PadSettings);
    SizeAndTitlePage(title, ClientWidth, ClientHeight);
    return BackendWindowHandle;
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
static void WebConvertLastFrame() {
    if (LastFrame == nullptr || LastFrame->Pixels == nullptr) return;
    const TCanvas& frame = *LastFrame;
    const int32_t left = LastRect.Left > WindowFrameLeft ? LastRect.Left : WindowFrameLeft;
    const int32_t top = LastRect.Top > WindowFrameTop ? LastRect.Top : WindowFrameTop;
    const int32_t clientRight = WindowFrameLeft + ClientWidth;
    const int32_t clientBottom = WindowFrameTop + ClientHeight;
    int32_t right = LastRect.Right < clientRight ? LastRect.Right : clientRight;
    int32_t bottom = LastRect.Bottom < clientBottom ? LastRect.Bottom : clientBottom;
    if (right > frame.Width) right = frame.Width;
    if (bottom > frame.Height) bottom = frame.Height;
    for (int32_t y = top; y < bottom; y++) {
        const uint32_t* from = frame.Pixels + (size_t)y * (size_t)frame.Width;
        uint32_t* to = Shown + (size_t)(y - WindowFrameTop) * (size_t)ClientWidth - WindowFrameLeft;
        for (int32_t x = left; x < right; x++)
            to[x] = RgbaFromPixel(from[x]);
    }
}

const uint8_t* WebTakeFrame() {
    if (!FrameWaiting || Shown == nullptr) return nullptr;
    FrameWaiting = false;
    WebConvertLastFrame();
    return (const uint8_t*)Shown;
}

void WebKeepLastFrame() {
    if (!FrameWaiting) return;
    WebConvertLastFrame();
    LastFrame = nullptr;
}

int32_t WebFrameWidth() {
    return ClientWidth;
}
int32_t WebFrameHeight() {
    return ClientHeight;
}

static void WebShowGameWindow(int32_t) {}
static void WebDestroyGameWindow(int32_t) {}
static void WebReleaseGameWindow() {
    WebKeepLastFrame();
    ForgetCursorSample();
}

static uint32_t WebGetTickCount() {
    return (uint32_t)(uint64_t)emscripten_get_now();
}

static void WebSleep(uint32_t ms) {
    SleepEnd = emscripten_get_now() + ms;
}

// The pointer, moved by a pad's analogue steering.
static void WebReadCursor(TPoint* point) {
    *point = TPoint{PointerX, 0};
    MovePadCursor(Mapper, point);
}

static void WebGetCursorPos(TPoint* point) {
    SampleCursor(point, WebReadCursor);
}

// The input that came since the last poll joins the queue, stamped with the tick and the pointer; they
// are read here directly, not through the game's calls, which a recording would write down.
static void WebPumpEvents() {
    ForgetCursorSample(); // a new pass
    for (int32_t i = 0; i < InputLength; i++)
        PostWindowMessage(Input[i].Message, Input[i].VirtualKey, Input[i].LParam, WebGetTickCount(),
                          TPoint{PointerX, 0});
    InputLength = 0;
    // The pads after the keys, as the desktop's backends post them.
    WebReadPads(PadNumbers, MostPads);
    for (int32_t slot = 0; slot < MostPads; slot++) {
        const int32_t* numbers = PadNumbers + slot * 5;
        Pads[slot] = TPadState{numbers[0] != 0, PadAxis(numbers[1]), PadTrigger(numbers[2], 32767),
                               PadTrigger(numbers[3], 32767), (uint32_t)numbers[4]};
    }
    PostPadChanges(MapPads(&Mapper, Pads, MostPads), WebGetTickCount(), TPoint{PointerX, 0});
}

static int32_t WebContinueLoop() {
    return 1;
}

static const TPlatformBackend Web = {
    .CreateGameWindow = WebCreateGameWindow,
    .ShowGameWindow = WebShowGameWindow,
    .PumpEvents = WebPumpEvents,
    .DestroyGameWindow = WebDestroyGameWindow,
    .GetTickCount = WebGetTickCount,
    .Sleep = WebSleep,
    .GetCursorPos = WebGetCursorPos,
    .CopyToWindow = WebCopyToWindow,
    .ReleaseGameWindow = WebReleaseGameWindow,
    .ContinueLoop = WebContinueLoop,
};

const TPlatformBackend* WebBackend() {
    return &Web;
}
