// records/: lap times on the game's own clock, the ghost of the best lap and the records view (F7) that shows
// both; and a record's text, which keeps a lap with the recording that proves it. The room only watches the
// game: it reads the design's globals after the game's logic of a pass and writes none of them; what it
// draws, it draws only while the view is on (FinishFramePass calls it between the 3D view and the display).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// ---- The lap clock
// ------------------------------------------------------------------------------------------

// Where the player's car stood in one pass of a lap, and how long into the lap that was (milliseconds of
// the game's clock): the ghost drives these.
struct TGhostPose {
    uint32_t Ms;
    float X, Y, Z;
    float AngleX, AngleY, AngleZ;
};

// The poses of one lap, a pose a pass; a lap longer than the buffer keeps every second pose from then on
// (Stride doubles), so a lap of any length fits in memory made once.
constexpr int32_t MostPathPoses = 1 << 16;
struct TLapPath {
    std::vector<TGhostPose> Poses; // MostPathPoses entries, made at the start; Count of them in use
    int32_t Count;
    uint32_t Stride;    // passes per kept pose: 1, 2, 4, ...
    uint32_t SinceKept; // passes since the last kept pose
};

// A lap the player's car completed: its number (the "Runde" it was driven as), its time, and its path.
struct TLapDone {
    int32_t Lap;
    uint32_t Ms;
    const TLapPath* Path;
};

// Called in the pass that counts a lap, after the game's logic; true makes the lap the ghost (the clock
// then keeps its path). With no hook, a lap faster than the own ghost becomes the ghost.
using TLapHook = bool (*)(const TLapDone& lap, void* context);
void SetLapHook(TLapHook hook, void* context);

// Makes the clock's buffers (once per process) and forgets any race: at every start of the game. The
// ghost stays.
void StartLapClock();
// After the game's logic of every pass (frame step 14): notices a race beginning, a lap counted, the
// player taking another car (that lap is not timed), and keeps the running lap's path. Reads the design's
// globals only.
void TimeLaps();

// What the clock knows now, for the records view and the tests.
struct TLapClockState {
    bool Racing;        // a race runs and its running lap is timed
    int32_t Lap;        // the lap being driven ("Runde")
    uint32_t LapMs;     // how long into it, by TickNow
    bool HasLast;       // a lap was completed in this race
    uint32_t LastMs;    // its time
    bool LastHadBest;   // a ghost was there when it was completed
    int32_t LastDiffMs; // its time minus the ghost's time then
};
TLapClockState LapClockNow();

// ---- The ghost
// ----------------------------------------------------------------------------------------------

// The lap the ghost drives: none, the fastest lap of one's own, or someone else's (raced in its place).
enum class TGhostKind { None, Own, Foreign };
// Sets the ghost from a path (copied into the clock's buffer, never allocating once the clock has started)
// and its lap time; a path of no poses clears it.
void SetGhost(TGhostKind kind, uint32_t lapMs, const TGhostPose* poses, int32_t count, uint32_t stride);
TGhostKind GhostKind();
uint32_t GhostLapMs();
const TLapPath& GhostPath();
// The ghost's pose at ms into its lap: the last pose kept at or before it (its last pose once its lap is
// over); false without a ghost.
bool GhostPoseAt(uint32_t ms, TGhostPose* pose);

// ---- The records view
// ---------------------------------------------------------------------------------------

// The ghost as a grey wire car over the 3D view or the line view, and the records line in the display's
// bottom-left corner. Only while the view is on, after the 3D view and before the display (FrameLoop.cpp).
// It draws and writes nothing else: the canvas's pen is as it was afterwards.
void DrawRecordsView();
// The records line as it stands now (UTF-8); the view draws it at RecordsLineX, RecordsLineY.
const char* RecordsLine();
constexpr int32_t RecordsLineX = 20;
constexpr int32_t RecordsLineY = 584; // ScreenHeight - 16: the bottom row, left of the steering mark
// A lap time as the view shows it, m:ss.cc (hundredths cut off), and as a proof states it, m:ss.mmm.
void FormatLapTime(uint32_t ms, char* text, size_t size);
void FormatProofTime(uint32_t ms, char* text, size_t size);

// ---- Records
// ------------------------------------------------------------------------------------------------

// The digest that names the track: of everything the world's construction builds for a race (the grid, its
// placements, the models with their tables, the checkpoint sum and the cars as they start), from a cleared
// state. Worked out once; the first call must come before any game runs (it builds a world of its own and
// clears the game's state afterwards), so every program asks for it at its start.
uint64_t TrackDigest();
std::string TrackName(uint64_t digest); // 16 hexadecimal digits

// What a record says about itself; the recording that proves it follows these lines in its file.
struct TRecordHead {
    uint64_t Track;
    std::string Version;
    std::string Date;
    int32_t Lap;
    uint32_t Ms;
    std::vector<TGhostPose> Ghost;
    uint32_t Stride;
};

// Writes the record's own lines: comment lines the runner's script reader passes over, so a record is the
// recording of its race too. False when a write failed.
bool WriteRecordHead(std::FILE* file, const TRecordHead& head);
// Reads those lines from the start of text, at most head.Ghost's MostPathPoses poses; false with the
// reason (naming the line) in error. A record is hostile input: every field is checked.
struct TRecordReader {
    TRecordHead Head;
    int32_t Line;      // lines read
    int32_t Field;     // the next field expected
    int32_t PosesLeft; // ghost lines still to come
    bool Done;
    std::string Error;
};
void RecordReaderStart(TRecordReader* reader);
// One line (without its newline); false on a malformed line (Error says why). Done once the head is whole.
bool RecordReaderLine(TRecordReader* reader, const char* line, size_t length);
// Reads a record's head from a file: false with the reason in error (the file unreadable, or not a record).
bool ReadRecordHead(const char* path, TRecordHead* head, std::string* error);
