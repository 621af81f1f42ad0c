// Writing the trace. Everything is formatted into one fixed buffer that goes to the file whenever it fills,
// so a pass allocates nothing. Numbers are formatted independently of the locale the game sets.
#include "replay/Trace.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/Printable.h"
#include "world/DatenStruktur.h"

enum TFieldKind { FieldInt32, FieldByte, FieldFloat, FieldText };

struct TGlobalField {
    const char* Name;
    TFieldKind Kind;
    const void* Address;
};

// The globals of each line, in this order after "pass".
static const TGlobalField GlobalFields[] = {
    {"Fps", FieldInt32, &Fps},
    {"FrameCounter", FieldInt32, &FrameCounter},
    {"TickNow", FieldInt32, &TickNow},
    {"Seconds", FieldInt32, &Seconds},
    {"ElapsedSeconds", FieldInt32, &ElapsedSeconds},
    {"Message", FieldText, &Message},
    {"MessageSeconds", FieldInt32, &MessageSeconds},
    {"DemoMode", FieldByte, &DemoMode},
    {"GameOverPending", FieldByte, &GameOverPending},
    {"Running", FieldInt32, &Running},
    {"HudMode", FieldInt32, &HudMode},
    {"CheckLineMode", FieldByte, &CheckLineMode},
    {"CurrentActor", FieldInt32, &CurrentActor},
    {"CameraPreset", FieldInt32, &CameraPreset},
    {"CameraPresetName", FieldText, &CameraPresetName},
    {"CamPosX", FieldFloat, &CamPosX},
    {"CamPosY", FieldFloat, &CamPosY},
    {"CamPosZ", FieldFloat, &CamPosZ},
    {"CamAngleX", FieldFloat, &CamAngleX},
    {"CamAngleY", FieldFloat, &CamAngleY},
    {"CamAngleZ", FieldFloat, &CamAngleZ},
    {"CamOffsetX", FieldFloat, &CamOffsetX},
    {"CamOffsetY", FieldFloat, &CamOffsetY},
    {"CamOffsetZ", FieldFloat, &CamOffsetZ},
    {"CamBaseHeight", FieldFloat, &CamBaseHeight},
    {"EyeDistance", FieldFloat, &EyeDistance},
    {"CameraMoving", FieldByte, &CameraMoving},
    {"CameraTurnsWithActor", FieldInt32, &CameraTurnsWithActor},
    {"CamNoOffset", FieldByte, &CamNoOffset},
    {"CamSpeedHeight", FieldByte, &CamSpeedHeight},
    {"AutoPresetChange", FieldByte, &AutoPresetChange},
    {"LastKey", FieldInt32, &LastKey},
    {"MouseX", FieldInt32, &MouseX},
    {"MouseSteering", FieldInt32, &MouseSteering},
};

struct TActorField {
    const char* Name;
    TFieldKind Kind;
    size_t Offset;
    int32_t Count; // 1 for a scalar, the length for an array
};

#define ACTOR_FIELD(name, kind)                                                                              \
    { #name, kind, offsetof(TActor, name), 1 }
#define ACTOR_ARRAY(name, kind)                                                                              \
    { #name, kind, offsetof(TActor, name), (int32_t)(sizeof(TActor::name) / sizeof(int32_t)) }

// Every field of TActor, in record order.
static const TActorField ActorFields[] = {
    ACTOR_FIELD(PosX, FieldFloat),
    ACTOR_FIELD(PosY, FieldFloat),
    ACTOR_FIELD(PosZ, FieldFloat),
    ACTOR_FIELD(QuadPosX, FieldFloat),
    ACTOR_FIELD(QuadPosY, FieldFloat),
    ACTOR_FIELD(QuadPosZ, FieldFloat),
    ACTOR_FIELD(QuadCol, FieldInt32),
    ACTOR_FIELD(QuadRow, FieldInt32),
    ACTOR_FIELD(StepX, FieldFloat),
    ACTOR_FIELD(StepY, FieldFloat),
    ACTOR_FIELD(StepZ, FieldFloat),
    ACTOR_FIELD(AngleX, FieldFloat),
    ACTOR_FIELD(AngleY, FieldFloat),
    ACTOR_FIELD(AngleZ, FieldFloat),
    ACTOR_FIELD(PrevPosX, FieldFloat),
    ACTOR_FIELD(PrevPosY, FieldFloat),
    ACTOR_FIELD(PrevPosZ, FieldFloat),
    ACTOR_FIELD(PrevAngleX, FieldFloat),
    ACTOR_FIELD(PrevAngleY, FieldFloat),
    ACTOR_FIELD(PrevAngleZ, FieldFloat),
    ACTOR_FIELD(WheelAngle, FieldFloat),
    ACTOR_FIELD(AngleDiff, FieldFloat),
    ACTOR_FIELD(ModelIndex, FieldInt32),
    ACTOR_FIELD(StepLength, FieldFloat),
    ACTOR_FIELD(Accel, FieldFloat),
    ACTOR_FIELD(MaxStepLength, FieldFloat),
    ACTOR_FIELD(QuadIndex, FieldInt32),
    ACTOR_FIELD(OnRoad, FieldInt32),
    ACTOR_ARRAY(TouchQuad, FieldInt32),
    ACTOR_FIELD(Laps, FieldInt32),
    ACTOR_ARRAY(CheckpointSeen, FieldInt32),
    ACTOR_FIELD(FinishHandled, FieldInt32),
    ACTOR_FIELD(CheckpointTally, FieldInt32),
    ACTOR_FIELD(Steering, FieldFloat),
    ACTOR_FIELD(SteerRate, FieldFloat),
    ACTOR_FIELD(SteerSide, FieldInt32),
    ACTOR_FIELD(BounceTurn, FieldFloat),
    ACTOR_FIELD(Damage, FieldInt32),
    ACTOR_FIELD(SpeedKmh, FieldFloat),
    ACTOR_FIELD(Distance, FieldFloat),
    ACTOR_FIELD(Mass, FieldFloat),
    ACTOR_FIELD(CurveRadius, FieldFloat),
    ACTOR_FIELD(CentrifugalForce, FieldFloat),
    ACTOR_FIELD(Friction, FieldFloat),
    ACTOR_FIELD(SlideSpeed, FieldFloat),
    ACTOR_FIELD(Skidding, FieldByte),
    ACTOR_FIELD(TipSpeed, FieldFloat),
    ACTOR_FIELD(KineticEnergy, FieldFloat),
    ACTOR_FIELD(CogHeight, FieldFloat),
    ACTOR_FIELD(TrackWidth, FieldFloat),
    ACTOR_FIELD(DragCoefficient, FieldFloat),
    ACTOR_FIELD(FrontalArea, FieldFloat),
    ACTOR_FIELD(DragArea, FieldFloat),
    ACTOR_FIELD(Resistance, FieldFloat),
    ACTOR_FIELD(RollCoefficient, FieldFloat),
    ACTOR_FIELD(RollResistance, FieldFloat),
};

#undef ACTOR_FIELD
#undef ACTOR_ARRAY

// The last field must end the record, or a field was left out of the table.
static_assert(offsetof(TActor, RollResistance) + sizeof(float) == sizeof(TActor));

static void FlushBuffer(TTraceWriter* trace) {
    if (trace->Length == 0) return;
    if (trace->File == nullptr || std::fwrite(trace->Buffer, 1, trace->Length, trace->File) != trace->Length)
        trace->Failed = true;
    trace->Flushed += trace->Length;
    trace->Length = 0;
}

static void AppendBytes(TTraceWriter* trace, const char* bytes, size_t length) {
    while (length > 0) {
        if (trace->Length == TraceBufferSize) FlushBuffer(trace);
        size_t room = TraceBufferSize - trace->Length;
        const size_t chunk = length < room ? length : room;
        std::memcpy(trace->Buffer + trace->Length, bytes, chunk);
        trace->Length += chunk;
        bytes += chunk;
        length -= chunk;
    }
}

static void AppendLiteral(TTraceWriter* trace, const char* text) {
    AppendBytes(trace, text, std::strlen(text));
}

static void AppendInteger(TTraceWriter* trace, int64_t value) {
    char digits[24];
    const std::to_chars_result result = std::to_chars(digits, digits + sizeof digits, value);
    AppendBytes(trace, digits, (size_t)(result.ptr - digits));
}

void TraceAppendFloat(TTraceWriter* trace, float value) {
    if (!std::isfinite(value)) {
        AppendLiteral(trace, "null");
        return;
    }
    // The same digits as printf's %.9g in the C locale: enough for every float to read back exactly.
    char digits[32];
#if defined(__cpp_lib_to_chars)
    const std::to_chars_result result =
        std::to_chars(digits, digits + sizeof digits, value, std::chars_format::general, 9);
    AppendBytes(trace, digits, (size_t)(result.ptr - digits));
#else
    // A C++ library without the floating-point to_chars (Emscripten's): printf's own digits, with the decimal
    // point of the C locale whatever locale the process has.
    const int length = std::snprintf(digits, sizeof digits, "%.9g", (double)value);
    for (int i = 0; i < length; i++)
        if (digits[i] == ',') digits[i] = '.';
    AppendBytes(trace, digits, (size_t)length);
#endif
}

void TraceAppendText(TTraceWriter* trace, const char* text, size_t length) {
    static const char Hex[] = "0123456789abcdef";
    const unsigned char* bytes = (const unsigned char*)text;
    AppendLiteral(trace, "\"");
    size_t at = 0;
    while (at < length) {
        const unsigned char c = bytes[at];
        if (c == '"' || c == '\\') {
            const char escaped[2] = {'\\', (char)c};
            AppendBytes(trace, escaped, 2);
            at++;
        } else if (c < 0x20 || c == 0x7F) {
            const char escaped[6] = {'\\', 'u', '0', '0', Hex[c >> 4], Hex[c & 0xF]};
            AppendBytes(trace, escaped, 6);
            at++;
        } else if (c < 0x80) {
            AppendBytes(trace, text + at, 1);
            at++;
        } else {
            // A byte that starts no well-formed character shows as the replacement character.
            const size_t sequence = Utf8SequenceLength(bytes + at, length - at);
            if (sequence == 0) {
                AppendLiteral(trace, "\\ufffd");
                at++;
            } else {
                AppendBytes(trace, text + at, sequence);
                at += sequence;
            }
        }
    }
    AppendLiteral(trace, "\"");
}

static void AppendValue(TTraceWriter* trace, TFieldKind kind, const unsigned char* address) {
    switch (kind) {
    case FieldInt32: {
        int32_t value;
        std::memcpy(&value, address, sizeof value);
        AppendInteger(trace, value);
        break;
    }
    case FieldByte:
        AppendInteger(trace, *address);
        break;
    case FieldFloat: {
        float value;
        std::memcpy(&value, address, sizeof value);
        TraceAppendFloat(trace, value);
        break;
    }
    case FieldText: {
        const std::string* text = (const std::string*)(const void*)address;
        TraceAppendText(trace, text->data(), text->size());
        break;
    }
    }
}

static size_t FieldSize(TFieldKind kind) {
    return kind == FieldByte ? sizeof(uint8_t) : kind == FieldText ? sizeof(std::string) : sizeof(int32_t);
}

static void AppendActor(TTraceWriter* trace, const TActor& actor) {
    const unsigned char* record = (const unsigned char*)&actor;
    AppendLiteral(trace, "{");
    bool first = true;
    for (const TActorField& field : ActorFields) {
        AppendLiteral(trace, first ? "\"" : ",\"");
        first = false;
        AppendLiteral(trace, field.Name);
        AppendLiteral(trace, "\":");
        if (field.Count == 1) {
            AppendValue(trace, field.Kind, record + field.Offset);
            continue;
        }
        AppendLiteral(trace, "[");
        for (int32_t i = 0; i < field.Count; i++) {
            if (i > 0) AppendLiteral(trace, ",");
            AppendValue(trace, field.Kind, record + field.Offset + (size_t)i * FieldSize(field.Kind));
        }
        AppendLiteral(trace, "]");
    }
    AppendLiteral(trace, "}");
}

void TraceWritePass(TTraceWriter* trace, uint64_t pass) {
    AppendLiteral(trace, "{\"pass\":");
    char digits[24];
    const std::to_chars_result result = std::to_chars(digits, digits + sizeof digits, pass);
    AppendBytes(trace, digits, (size_t)(result.ptr - digits));
    for (const TGlobalField& field : GlobalFields) {
        AppendLiteral(trace, ",\"");
        AppendLiteral(trace, field.Name);
        AppendLiteral(trace, "\":");
        AppendValue(trace, field.Kind, (const unsigned char*)field.Address);
    }
    AppendLiteral(trace, ",\"Actors\":[");
    for (size_t i = 0; i < Actors.size(); i++) {
        if (i > 0) AppendLiteral(trace, ",");
        AppendActor(trace, Actors[i]);
    }
    AppendLiteral(trace, "]}\n");
}

void TraceStart(TTraceWriter* trace, FILE* file) {
    trace->File = file;
    trace->Length = 0;
    trace->Flushed = 0;
    trace->Failed = false;
}

bool TraceFlush(TTraceWriter* trace) {
    FlushBuffer(trace);
    if (trace->File != nullptr && std::fflush(trace->File) != 0) trace->Failed = true;
    return !trace->Failed;
}
