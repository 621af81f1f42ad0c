// The Win32-shaped calls of the game over the active backend, and the message queue both backends share.
#include "platform/Platform.h"

#include <cstdio>

static const TPlatformBackend* Backend;
static TWindowClass RegisteredClass;
static int32_t ClassRegistered;
static int32_t WindowHandle;

// A fixed ring of messages: posting never allocates.
static TMsg Queue[MessageQueueCapacity];
static int32_t QueueHead;
static int32_t QueueLength;

void SelectPlatform(const TPlatformBackend* backend) {
    Backend = backend;
}
const TPlatformBackend* ActivePlatform() {
    return Backend;
}

int32_t PostMessageToQueue(const TMsg& msg) {
    if (QueueLength >= MessageQueueCapacity) return 0;
    Queue[(QueueHead + QueueLength) % MessageQueueCapacity] = msg;
    QueueLength++;
    return 1;
}

int32_t MessageQueueLength() {
    return QueueLength;
}

void ClearMessageQueue() {
    QueueHead = 0;
    QueueLength = 0;
}

int32_t GameWindowHandle() {
    return WindowHandle;
}

int32_t RegisterClassA(const TWindowClass* windowClass) {
    if (windowClass == nullptr || windowClass->lpfnWndProc == nullptr) return 0;
    RegisteredClass = *windowClass;
    ClassRegistered = 1;
    return 1;
}

int32_t CreateWindowExA(const char* className, const char* title, int32_t width, int32_t height) {
    (void)className;
    if (!ClassRegistered || Backend == nullptr) return 0;
    WindowHandle = Backend->CreateGameWindow(title, width, height);
    return WindowHandle;
}

void ShowWindow(int32_t hwnd) {
    if (Backend != nullptr && hwnd != 0) Backend->ShowGameWindow(hwnd);
}

void UpdateWindow(int32_t hwnd) {
    (void)hwnd;
}

int32_t PeekMessageA(TMsg* msg) {
    if (Backend != nullptr) Backend->PumpEvents();
    if (QueueLength == 0) return 0;
    *msg = Queue[QueueHead];
    QueueHead = (QueueHead + 1) % MessageQueueCapacity;
    QueueLength--;
    return 1;
}

// No character messages: nothing in the game reads them.
void TranslateMessage(const TMsg* msg) {
    (void)msg;
}

intptr_t DispatchMessageA(const TMsg* msg) {
    if (msg->hwnd == 0 || msg->hwnd != WindowHandle || RegisteredClass.lpfnWndProc == nullptr) return 0;
    return RegisteredClass.lpfnWndProc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

// The default handling: closing destroys the window, which sends WM_DESTROY to the window procedure.
intptr_t DefWindowProcA(int32_t hwnd, uint32_t message, uint32_t wParam, int32_t lParam) {
    (void)wParam;
    (void)lParam;
    if (message == WM_CLOSE && hwnd != 0 && hwnd == WindowHandle) {
        if (Backend != nullptr) Backend->DestroyGameWindow(hwnd);
        WindowHandle = 0;
        if (RegisteredClass.lpfnWndProc != nullptr) RegisteredClass.lpfnWndProc(hwnd, WM_DESTROY, 0, 0);
    }
    return 0;
}

void PostQuitMessage(int32_t exitCode) {
    TMsg quit{};
    quit.message = WM_QUIT;
    quit.wParam = (uint32_t)exitCode;
    PostMessageToQueue(quit);
}

uint32_t GetTickCount() {
    return Backend != nullptr ? Backend->GetTickCount() : 0;
}

void Sleep(uint32_t ms) {
    if (Backend != nullptr) Backend->Sleep(ms);
}

int32_t GetCursorPos(TPoint* point) {
    point->x = 0;
    point->y = 0;
    if (Backend == nullptr) return 0;
    Backend->GetCursorPos(point);
    return 1;
}

void CopyFrameToWindow(const TCanvas* frame, TRect rect) {
    if (Backend != nullptr) Backend->CopyToWindow(frame, rect);
}

void ReleaseWindowCanvas() {
    if (Backend != nullptr) Backend->ReleaseGameWindow();
}

int32_t ContinueLoop() {
    return Backend != nullptr ? Backend->ContinueLoop() : 1;
}

void ResetPlatformState() {
    RegisteredClass = TWindowClass{};
    ClassRegistered = 0;
    WindowHandle = 0;
    ClearMessageQueue();
}
