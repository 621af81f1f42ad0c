// A record's own lines and the digest that names its track. The lines are comments of the runner's script
// format ("#: field value", "#g pose"), so that a record is at the same time the recording of its race; every
// number in them is checked as it is read, floats are written as their bits so that they read back exactly
// on every system.
#include <cinttypes>
#include <cmath>
#include <cstring>

#include "platform/Backend.h"
#include "platform/System.h"
#include "records/Records.h"
#include "world/DatenStruktur.h"
#include "world/World.h"

namespace {

// ---- The digest: FNV-1a over the built world, every number as its little-endian bytes
// ----------------------

struct TDigest {
    uint64_t Value = 14695981039346656037ull;
    void Byte(uint8_t b) {
        Value ^= b;
        Value *= 1099511628211ull;
    }
    void Word(uint32_t w) {
        for (int i = 0; i < 4; i++)
            Byte((uint8_t)(w >> (8 * i)));
    }
    void Int(int32_t v) { Word((uint32_t)v); }
    void Float(float v) {
        uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        Word(bits);
    }
};

// What the construction sets in a car; the rest of a car is zero from a cleared state.
constexpr float TActor::*ActorFloats[] = {
    &TActor::PosX,
    &TActor::PosY,
    &TActor::PosZ,
    &TActor::QuadPosX,
    &TActor::QuadPosY,
    &TActor::QuadPosZ,
    &TActor::AngleX,
    &TActor::AngleY,
    &TActor::AngleZ,
    &TActor::WheelAngle,
    &TActor::StepLength,
    &TActor::Accel,
    &TActor::MaxStepLength,
    &TActor::SteerRate,
    &TActor::Mass,
    &TActor::Friction,
    &TActor::SlideSpeed,
    &TActor::CogHeight,
    &TActor::TrackWidth,
    &TActor::DragCoefficient,
    &TActor::FrontalArea,
    &TActor::DragArea,
    &TActor::RollCoefficient,
    &TActor::RollResistance,
};
constexpr int32_t TActor::*ActorInts[] = {
    &TActor::QuadCol, &TActor::QuadRow, &TActor::ModelIndex, &TActor::QuadIndex, &TActor::Laps,
};

// A model's index lists and, for every vertex they name, its coordinates: what the model draws and feels.
void DigestModel(TDigest& d, const TObjekt& model) {
    for (char c : model.Name)
        d.Byte((uint8_t)c);
    d.Byte(model.ObjectType);
    d.Float(model.HitRadius);
    d.Int(model.PartCount);
    for (int32_t p = 0; p < model.PartCount && (size_t)p < model.Parts.size(); p++) {
        const TModelPart& part = model.Parts[(size_t)p];
        d.Int(part.PartKind);
        d.Int(part.Color);
        for (int32_t k = 0; part.Indices != nullptr && k < MaxListEntries; k++) {
            const int32_t entry = part.Indices[k];
            d.Int(entry);
            if (entry == ListEnd) break;
            if (entry < 0 || model.Vertices == nullptr) continue;
            for (int axis = 0; axis < 3; axis++)
                d.Float(model.Vertices[(size_t)entry * 3 + (size_t)axis]);
        }
    }
}

uint64_t DigestOfWorld() {
    TDigest d;
    d.Int(QuadrantCount);
    d.Int(ActorCount);
    d.Int(CheckpointSum);
    for (const TQuadrant& cell : Quadrants) {
        d.Int(cell.OriginX);
        d.Int(cell.OriginY);
        d.Int(cell.OriginZ);
        d.Int(cell.PlacementCount);
        for (int32_t p = 0; p < PlacementsIn(cell); p++) {
            const TPlacement& placement = cell.Placements[(size_t)p];
            for (float v : {placement.X, placement.Y, placement.Z, placement.AngleX, placement.AngleY,
                            placement.AngleZ})
                d.Float(v);
            d.Int(placement.ObjectIndex);
        }
    }
    for (const TObjekt& model : Objects)
        DigestModel(d, model);
    for (const TActor& actor : Actors) {
        for (float TActor::*field : ActorFloats)
            d.Float(actor.*field);
        for (int32_t TActor::*field : ActorInts)
            d.Int(actor.*field);
    }
    return d.Value;
}

// The backend the digest's world is built on: no window, a clock and a cursor standing at 0. Its tick and
// cursor reads only set timing baselines the digest does not take.
int32_t StillCreate(const char*, int32_t, int32_t) {
    return 0;
}
void StillHandle(int32_t) {}
void StillNothing() {}
uint32_t StillTick() {
    return 0;
}
void StillSleep(uint32_t) {}
void StillCursor(TPoint* point) {
    *point = TPoint{0, 0};
}
void StillCopy(const TCanvas*, TRect) {}
int32_t StillGoesOn() {
    return 0;
}
const TPlatformBackend Still = {
    .CreateGameWindow = StillCreate,
    .ShowGameWindow = StillHandle,
    .PumpEvents = StillNothing,
    .DestroyGameWindow = StillHandle,
    .GetTickCount = StillTick,
    .Sleep = StillSleep,
    .GetCursorPos = StillCursor,
    .CopyToWindow = StillCopy,
    .ReleaseGameWindow = StillNothing,
    .ContinueLoop = StillGoesOn,
};

// ---- The record's lines
// ------------------------------------------------------------------------------------

constexpr const char* Fields[] = {"record", "track", "version", "date", "lap", "ghost"};
constexpr size_t MostTextField = 64;

bool Fail(TRecordReader* reader, const char* why) {
    reader->Error = "line " + std::to_string(reader->Line) + ": " + why;
    return false;
}

// A whole decimal number of 1 to 10 digits within low..high, then a blank or the end; moves past it.
bool ReadDecimal(const char** at, const char* end, uint64_t low, uint64_t high, uint64_t* value) {
    const char* c = *at;
    uint64_t v = 0;
    int digits = 0;
    for (; c < end && *c >= '0' && *c <= '9'; c++, digits++) {
        if (digits == 10) return false;
        v = v * 10 + (uint64_t)(*c - '0');
    }
    if (digits == 0 || v < low || v > high || (c < end && *c != ' ')) return false;
    *at = c < end ? c + 1 : c;
    *value = v;
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// digits lowercase hexadecimal digits (1 to most of them), then a blank or the end.
bool ReadHex(const char** at, const char* end, int most, uint64_t* value) {
    const char* c = *at;
    uint64_t v = 0;
    int digits = 0;
    for (; c < end && HexDigit(*c) >= 0; c++, digits++) {
        if (digits == most) return false;
        v = v * 16 + (uint64_t)HexDigit(*c);
    }
    if (digits == 0 || (c < end && *c != ' ')) return false;
    *at = c < end ? c + 1 : c;
    *value = v;
    return true;
}

// A float written as its bits: finite only, since no car the game moves is anywhere else.
bool ReadFloatBits(const char** at, const char* end, float* value) {
    uint64_t bits = 0;
    if (!ReadHex(at, end, 8, &bits)) return false;
    const uint32_t word = (uint32_t)bits;
    std::memcpy(value, &word, sizeof word);
    return std::isfinite(*value);
}

// Printable ASCII without blanks, 1 to MostTextField characters: the rest of the line.
bool ReadWord(const char* at, const char* end, bool blanks, std::string* value) {
    const size_t length = (size_t)(end - at);
    if (length == 0 || length > MostTextField) return false;
    for (const char* c = at; c < end; c++) {
        if (*c < (blanks ? ' ' : '!') || *c > '~') return false;
    }
    value->assign(at, length);
    return true;
}

bool ReadField(TRecordReader* reader, const char* at, const char* end) {
    TRecordHead& head = reader->Head;
    uint64_t a = 0;
    uint64_t b = 0;
    switch (reader->Field) {
    case 0:
        if (end - at != 1 || *at != '1') return Fail(reader, "a record of another kind than 1");
        return true;
    case 1:
        if (end - at != 16 || !ReadHex(&at, end, 16, &a))
            return Fail(reader, "the track is not 16 hexadecimal digits");
        head.Track = a;
        return true;
    case 2:
        if (!ReadWord(at, end, false, &head.Version)) return Fail(reader, "the version is not a word");
        return true;
    case 3:
        if (!ReadWord(at, end, true, &head.Date)) return Fail(reader, "the date is no short line of text");
        return true;
    case 4:
        if (!ReadDecimal(&at, end, 1, INT32_MAX, &a) || !ReadDecimal(&at, end, 0, UINT32_MAX, &b) ||
            at != end)
            return Fail(reader, "the lap is not a lap number and its milliseconds");
        head.Lap = (int32_t)a;
        head.Ms = (uint32_t)b;
        return true;
    default:
        if (!ReadDecimal(&at, end, 1, MostPathPoses, &a) || !ReadDecimal(&at, end, 1, 1u << 31, &b) ||
            at != end || (b & (b - 1)) != 0)
            return Fail(reader, "the ghost is not a number of poses and a stride that is a power of two");
        head.Ghost.clear();
        head.Ghost.reserve((size_t)a);
        head.Stride = (uint32_t)b;
        reader->PosesLeft = (int32_t)a;
        return true;
    }
}

bool ReadPose(TRecordReader* reader, const char* at, const char* end) {
    TGhostPose pose{};
    uint64_t ms = 0;
    float* fields[6] = {&pose.X, &pose.Y, &pose.Z, &pose.AngleX, &pose.AngleY, &pose.AngleZ};
    bool good = ReadDecimal(&at, end, 0, UINT32_MAX, &ms);
    for (float* field : fields)
        good = good && ReadFloatBits(&at, end, field);
    if (!good || at != end) return Fail(reader, "a ghost pose is not milliseconds and six finite floats");
    pose.Ms = (uint32_t)ms;
    reader->Head.Ghost.push_back(pose);
    if (--reader->PosesLeft == 0) reader->Done = true;
    return true;
}

} // namespace

uint64_t TrackDigest() {
    static bool known;
    static uint64_t digest;
    if (known) return digest;
    const TPlatformBackend* before = SelectedPlatform();
    SelectPlatform(&Still);
    ClearGameState();
    DemoMode = 0;
    BuildWorldState();
    digest = DigestOfWorld();
    ClearGameState();
    SelectPlatform(before);
    known = true;
    return digest;
}

std::string TrackName(uint64_t digest) {
    char name[20];
    std::snprintf(name, sizeof name, "%016" PRIx64, digest);
    return name;
}

bool WriteRecordHead(std::FILE* file, const TRecordHead& head) {
    bool good =
        std::fprintf(file,
                     "# tramolo record: a lap and the recording of its race up to the lap's end.\n"
                     "# tramolo-sim --verify FILE replays it to check the lap; --input FILE replays it.\n"
                     "#: record 1\n#: track %s\n#: version %s\n#: date %s\n#: lap %" PRId32 " %" PRIu32
                     "\n#: ghost %zu %" PRIu32 "\n",
                     TrackName(head.Track).c_str(), head.Version.c_str(), head.Date.c_str(), head.Lap,
                     head.Ms, head.Ghost.size(), head.Stride) > 0;
    for (const TGhostPose& pose : head.Ghost) {
        uint32_t bits[6];
        const float values[6] = {pose.X, pose.Y, pose.Z, pose.AngleX, pose.AngleY, pose.AngleZ};
        std::memcpy(bits, values, sizeof bits);
        good = good && std::fprintf(file,
                                    "#g %" PRIu32 " %" PRIx32 " %" PRIx32 " %" PRIx32 " %" PRIx32 " %" PRIx32
                                    " %" PRIx32 "\n",
                                    pose.Ms, bits[0], bits[1], bits[2], bits[3], bits[4], bits[5]) > 0;
    }
    return good;
}

void RecordReaderStart(TRecordReader* reader) {
    *reader = TRecordReader{};
    reader->Head.Stride = 1;
}

bool RecordReaderLine(TRecordReader* reader, const char* line, size_t length) {
    reader->Line++;
    if (reader->Done) return true;
    const char* end = line + length;
    if (length > 0 && end[-1] == '\r') end--;
    if (std::memchr(line, '\0', (size_t)(end - line)) != nullptr) return Fail(reader, "a NUL byte");
    const size_t size = (size_t)(end - line);
    if (reader->PosesLeft > 0) {
        if (size < 3 || std::memcmp(line, "#g ", 3) != 0) return Fail(reader, "a ghost pose is missing");
        return ReadPose(reader, line + 3, end);
    }
    // A byte order mark before the first line, as the script reader allows.
    if (reader->Line == 1 && size >= 3 && std::memcmp(line, "\xEF\xBB\xBF", 3) == 0) line += 3;
    if (line == end || *line != '#') return Fail(reader, "the record's head ends before its ghost");
    if (end - line < 3 || line[1] != ':' || line[2] != ' ') {
        if (end - line >= 3 && line[1] == 'g' && line[2] == ' ')
            return Fail(reader, "a ghost pose before the record's fields");
        return true; // a comment
    }
    const char* name = line + 3;
    const char* blank = (const char*)std::memchr(name, ' ', (size_t)(end - name));
    const char* expected = Fields[reader->Field];
    if (blank == nullptr || (size_t)(blank - name) != std::strlen(expected) ||
        std::memcmp(name, expected, (size_t)(blank - name)) != 0)
        return Fail(reader, (std::string("\"#: ") + expected + "\" is expected").c_str());
    if (!ReadField(reader, blank + 1, end)) return false;
    reader->Field++;
    return true;
}

bool ReadRecordHead(const char* path, TRecordHead* head, std::string* error) {
    std::FILE* file = OpenFileToRead(path);
    if (file == nullptr) {
        *error = "it cannot be opened";
        return false;
    }
    TRecordReader reader;
    RecordReaderStart(&reader);
    std::string line;
    bool good = true;
    for (int c = 0; good && !reader.Done && (c = std::getc(file)) != EOF;) {
        if (c != '\n') {
            line += (char)c;
            if (line.size() > 4096) {
                reader.Line++;
                good = Fail(&reader, "a line longer than 4096 bytes");
            }
            continue;
        }
        good = RecordReaderLine(&reader, line.data(), line.size());
        line.clear();
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        *error = "reading it failed";
        return false;
    }
    if (good && !reader.Done) {
        if (!line.empty()) good = RecordReaderLine(&reader, line.data(), line.size());
        if (good && !reader.Done) good = Fail(&reader, "the file ends before the record's head is whole");
    }
    if (!good) {
        *error = reader.Error;
        return false;
    }
    *head = std::move(reader.Head);
    return true;
}
