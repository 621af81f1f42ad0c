// The Win32-shaped calls of the game over the active backend, the message queue every backend shares, and
// the rest of what the backends have in common.
#include "platform/Platform.h"

#include <cstdio>

#include "platform/Backend.h"
#include "platform/VirtualKeys.h"

static const TPlatformBackend* Backend;
static TWindowClass RegisteredClass;
static int32_t ClassRegistered;
static int32_t WindowHandle;

// A fixed ring of messages: posting never allocates. Each slot keeps what kind of message it holds, so that
// a full queue knows what it can drop.
enum TQueuedKind : uint8_t {
    KindKept,       // must reach the window procedure
    KindUnchanging, // changes nothing when taken: droppable first
    KindKeyDown,    // a key going down
    KindKeyUp,      // that key going up again
};
static TMsg Queue[MessageQueueCapacity];
static TQueuedKind QueueKind[MessageQueueCapacity];
static int32_t QueueHead;
static int32_t QueueLength;
// Whether each key is down once every queued message has been taken; and the close requests waiting.
static bool KeyDownAtTail[256];
static int32_t ClosesQueued;
static TMessageQueueDrops Drops;
// The drops told so far: a flood is told once it has been worked off, or at the end.
static uint64_t ReportedDrops;
// Room for the compaction of a full queue.
static TMsg Compacted[MessageQueueCapacity];
static TQueuedKind CompactedKind[MessageQueueCapacity];
static bool Dropping[MessageQueueCapacity];
static TMessageTap Tap;
static void* TapContext;

const char* EmptyBackendSlot(const TPlatformBackend& backend) {
    if (backend.CreateGameWindow == nullptr) return "CreateGameWindow";
    if (backend.ShowGameWindow == nullptr) return "ShowGameWindow";
    if (backend.PumpEvents == nullptr) return "PumpEvents";
    if (backend.DestroyGameWindow == nullptr) return "DestroyGameWindow";
    if (backend.GetTickCount == nullptr) return "GetTickCount";
    if (backend.Sleep == nullptr) return "Sleep";
    if (backend.GetCursorPos == nullptr) return "GetCursorPos";
    if (backend.CopyToWindow == nullptr) return "CopyToWindow";
    if (backend.ReleaseGameWindow == nullptr) return "ReleaseGameWindow";
    if (backend.ContinueLoop == nullptr) return "ContinueLoop";
    return nullptr;
}

bool SelectPlatform(const TPlatformBackend* backend) {
    const char* empty = backend != nullptr ? EmptyBackendSlot(*backend) : nullptr;
    if (empty != nullptr) {
        std::fprintf(stderr, "tramolo: the platform backend leaves its slot %s empty; it is not used\n",
                     empty);
        return false;
    }
    Backend = backend;
    return true;
}

const TPlatformBackend* SelectedPlatform() {
    return Backend;
}

// ---- What the window backends share ----------------------------------------------------------------------

static bool CursorSampled;
static TPoint CursorSample;
static bool ClosePosted;

void SampleCursor(TPoint* point, void (*read)(TPoint* point)) {
    if (!CursorSampled) read(&CursorSample);
    CursorSampled = true;
    *point = CursorSample;
}

void ForgetCursorSample() {
    CursorSampled = false;
}

static bool RecordsView;

bool RecordsViewOn() {
    return RecordsView;
}

void SetRecordsView(bool on) {
    RecordsView = on;
}

bool TakeRecordsViewKey(int32_t virtualKey, bool down, bool repeat) {
    if (virtualKey != VkF7) return false;
    if (down && !repeat) RecordsView = !RecordsView;
    return true;
}

uint32_t KeyMessage(int32_t virtualKey, bool down, bool altHeld) {
    if (IsSystemKey(virtualKey, altHeld)) return down ? WmSysKeyDown : WmSysKeyUp;
    return down ? WmKeyDown : WmKeyUp;
}

int32_t KeyMessageFlags(bool down, bool repeat, uint32_t scancode) {
    uint32_t flags = 1u | ((scancode & 0xFFu) << 16);
    if (!down || repeat) flags |= 1u << 30;
    if (!down) flags |= 1u << 31;
    return (int32_t)flags;
}

void PostCloseRequest(uint32_t time, TPoint pt) {
    if (ClosePosted || WindowHandle == 0) return;
    ClosePosted = PostWindowMessage(WmClose, 0, 0, time, pt) != 0;
}

static TQueuedKind KindOf(const TMsg& msg) {
    const bool keyInTable = msg.wParam < 256;
    switch (msg.message) {
    case WmKeyDown:
        return !keyInTable || KeyDownAtTail[msg.wParam] ? KindUnchanging : KindKeyDown;
    case WmKeyUp:
        return !keyInTable || !KeyDownAtTail[msg.wParam] ? KindUnchanging : KindKeyUp;
    case WmSysKeyDown:
    case WmSysKeyUp:
        return KindUnchanging; // the window procedure does not record them
    case WmClose:
        return ClosesQueued > 0 ? KindUnchanging : KindKept; // the first one destroys the window
    default:
        return KindKept;
    }
}

static int32_t Slot(int32_t i) {
    return (QueueHead + i) % MessageQueueCapacity;
}

// Keeps the messages not marked in Dropping, in their order, from the head of the ring.
static void CompactQueue() {
    int32_t kept = 0;
    for (int32_t i = 0; i < QueueLength; i++) {
        if (Dropping[i]) {
            if (Queue[Slot(i)].message == WmClose && QueueKind[Slot(i)] == KindKept) ClosesQueued--;
            continue;
        }
        Compacted[kept] = Queue[Slot(i)];
        CompactedKind[kept] = QueueKind[Slot(i)];
        kept++;
    }
    for (int32_t i = 0; i < kept; i++) {
        Queue[i] = Compacted[i];
        QueueKind[i] = CompactedKind[i];
    }
    QueueHead = 0;
    QueueLength = kept;
}

// Drops every message that changes nothing.
static void DropUnchanging() {
    for (int32_t i = 0; i < QueueLength; i++) {
        Dropping[i] = QueueKind[Slot(i)] == KindUnchanging;
        if (Dropping[i]) Drops.Unchanging++;
    }
    CompactQueue();
}

// Drops whole key presses, oldest key-up first, until a quarter of the queue is free. A key whose key-up is
// not queued stays down.
static void DropPresses() {
    int32_t pendingDown[256];
    for (int32_t& at : pendingDown)
        at = -1;
    int32_t room = MessageQueueCapacity - QueueLength;
    for (int32_t i = 0; i < QueueLength; i++) {
        Dropping[i] = false;
        const TMsg& msg = Queue[Slot(i)];
        const TQueuedKind kind = QueueKind[Slot(i)];
        if (kind == KindKeyDown) pendingDown[msg.wParam] = i;
        if (kind != KindKeyUp || pendingDown[msg.wParam] < 0 || room >= MessageQueueCapacity / 4) continue;
        Dropping[pendingDown[msg.wParam]] = true;
        Dropping[i] = true;
        pendingDown[msg.wParam] = -1;
        room += 2;
        Drops.Presses++;
    }
    CompactQueue();
}

void SetMessageTap(TMessageTap tap, void* context) {
    Tap = tap;
    TapContext = context;
}

static TDisplayLostHook OnDisplayLost;

void SetDisplayLostHook(TDisplayLostHook hook) {
    OnDisplayLost = hook;
}

void DisplayLost() {
    if (OnDisplayLost != nullptr) OnDisplayLost();
}

static int32_t EnqueueMessage(const TMsg& msg) {
    const TQueuedKind kind = KindOf(msg);
    if (QueueLength >= MessageQueueCapacity && kind != KindUnchanging) DropUnchanging();
    if (QueueLength >= MessageQueueCapacity && kind != KindUnchanging) DropPresses();
    if (QueueLength >= MessageQueueCapacity) {
        if (kind == KindUnchanging)
            Drops.Unchanging++;
        else if (kind == KindKeyDown)
            Drops.Presses++;
        else
            Drops.Kept++;
        return 0;
    }
    Queue[Slot(QueueLength)] = msg;
    QueueKind[Slot(QueueLength)] = kind;
    QueueLength++;
    if (kind == KindKeyDown) KeyDownAtTail[msg.wParam] = true;
    if (kind == KindKeyUp) KeyDownAtTail[msg.wParam] = false;
    if (msg.message == WmClose && kind == KindKept) ClosesQueued++;
    return 1;
}

int32_t PostMessageToQueue(const TMsg& msg) {
    if (Tap != nullptr) Tap(msg, TapContext);
    return EnqueueMessage(msg);
}

int32_t PostWindowMessage(uint32_t message, uint32_t wParam, int32_t lParam, uint32_t time, TPoint pt) {
    return PostMessageToQueue(TMsg{WindowHandle, message, wParam, lParam, time, pt});
}

int32_t MessageQueueLength() {
    return QueueLength;
}

void ClearMessageQueue() {
    QueueHead = 0;
    QueueLength = 0;
    for (bool& down : KeyDownAtTail)
        down = false;
    ClosesQueued = 0;
    Drops = TMessageQueueDrops{};
    ReportedDrops = 0;
}

TMessageQueueDrops MessageQueueDrops() {
    return Drops;
}

void DescribeMessageQueueDrops(const TMessageQueueDrops& drops, char* text, size_t size) {
    std::snprintf(text, size,
                  "the message queue was full: dropped %llu messages that changed nothing (auto-repeats, "
                  "system keys), %llu whole key presses and %llu messages it had to keep",
                  (unsigned long long)drops.Unchanging, (unsigned long long)drops.Presses,
                  (unsigned long long)drops.Kept);
}

void ReportMessageQueueDrops(bool atEnd) {
    const uint64_t total = Drops.Unchanging + Drops.Presses + Drops.Kept;
    if (total == ReportedDrops || (!atEnd && QueueLength > 0)) return;
    ReportedDrops = total;
    char line[256];
    DescribeMessageQueueDrops(Drops, line, sizeof line);
    std::fprintf(stderr, "tramolo: %s\n", line);
}

const TWindowClass* RegisteredWindowClass() {
    return ClassRegistered != 0 ? &RegisteredClass : nullptr;
}

int32_t GameWindowHandle() {
    return WindowHandle;
}

namespace Win {

int32_t RegisterClassA(const TWindowClass* windowClass) {
    if (windowClass == nullptr || windowClass->lpfnWndProc == nullptr) return 0;
    RegisteredClass = *windowClass;
    ClassRegistered = 1;
    return 1;
}

int32_t CreateWindowExA(const char* className, const char* title, int32_t width, int32_t height) {
    (void)className;
    if (!ClassRegistered || Backend == nullptr) return 0;
    ClosePosted = false;
    ForgetCursorSample();
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
    if (msg->message == WmClose && QueueKind[QueueHead] == KindKept) ClosesQueued--;
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

// The default handling: closing destroys the window, which sends WmDestroy to the window procedure.
intptr_t DefWindowProcA(int32_t hwnd, uint32_t message, uint32_t wParam, int32_t lParam) {
    (void)wParam;
    (void)lParam;
    if (message == WmClose && hwnd != 0 && hwnd == WindowHandle) {
        if (Backend != nullptr) Backend->DestroyGameWindow(hwnd);
        WindowHandle = 0;
        if (RegisteredClass.lpfnWndProc != nullptr) RegisteredClass.lpfnWndProc(hwnd, WmDestroy, 0, 0);
    }
    return 0;
}

void PostQuitMessage(int32_t exitCode) {
    TMsg quit{};
    quit.message = WmQuit;
    quit.wParam = (uint32_t)exitCode;
    EnqueueMessage(quit);
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

} // namespace Win

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
    ClosePosted = false;
    ForgetCursorSample();
    ClearMessageQueue();
    SetMessageTap(nullptr, nullptr);
}
