// The trace: which globals and actor fields each line carries, in which order, and how numbers and texts
// are written.
#include "sim/Trace.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>

#include "world/DatenStruktur.h"

namespace {

const char* const GlobalNames[] = {
    "Fps",
    "FrameCounter",
    "TickNow",
    "Seconds",
    "ElapsedSeconds",
    "Message",
    "MessageSeconds",
    "DemoMode",
    "GameOverPending",
    "Running",
    "HudMode",
    "CheckLineMode",
    "CurrentActor",
    "CameraPreset",
    "CameraPresetName",
    "CamPosX",
    "CamPosY",
    "CamPosZ",
    "CamAngleX",
    "CamAngleY",
    "CamAngleZ",
    "CamOffsetX",
    "CamOffsetY",
    "CamOffsetZ",
    "CamBaseHeight",
    "EyeDistance",
    "CameraMoving",
    "CameraTurnsWithActor",
    "CamNoOffset",
    "CamSpeedHeight",
    "AutoPresetChange",
    "LastKey",
    "MouseX",
    "MouseSteering",
};

const char* const ActorNames[] = {
    "PosX",
    "PosY",
    "PosZ",
    "QuadPosX",
    "QuadPosY",
    "QuadPosZ",
    "QuadCol",
    "QuadRow",
    "StepX",
    "StepY",
    "StepZ",
    "AngleX",
    "AngleY",
    "AngleZ",
    "PrevPosX",
    "PrevPosY",
    "PrevPosZ",
    "PrevAngleX",
    "PrevAngleY",
    "PrevAngleZ",
    "WheelAngle",
    "AngleDiff",
    "ModelIndex",
    "StepLength",
    "Accel",
    "MaxStepLength",
    "QuadIndex",
    "OnRoad",
    "TouchQuad",
    "Laps",
    "CheckpointSeen",
    "FinishHandled",
    "CheckpointTally",
    "Steering",
    "SteerRate",
    "SteerSide",
    "BounceTurn",
    "Damage",
    "SpeedKmh",
    "Distance",
    "Mass",
    "CurveRadius",
    "CentrifugalForce",
    "Friction",
    "SlideSpeed",
    "Skidding",
    "TipSpeed",
    "KineticEnergy",
    "CogHeight",
    "TrackWidth",
    "DragCoefficient",
    "FrontalArea",
    "DragArea",
    "Resistance",
    "RollCoefficient",
    "RollResistance",
};

class TraceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearGameState();
        path = ::testing::TempDir() + "trace-test-" + std::to_string(getpid()) + ".jsonl";
        trace = std::make_unique<TTraceWriter>();
        char error[200];
        ASSERT_TRUE(TraceOpen(trace.get(), path.c_str(), error, sizeof error)) << error;
    }
    void TearDown() override {
        TraceAbandon(trace.get());
        std::remove(path.c_str());
    }

    // Finishes the trace and returns the file's text.
    std::string Finish() {
        char error[200];
        EXPECT_TRUE(TraceFinish(trace.get(), error, sizeof error)) << error;
        std::ifstream file(path, std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    std::string path;
    std::unique_ptr<TTraceWriter> trace;
};

// Each name appears as a key after the one before it.
void ExpectKeysInOrder(const std::string& text, const char* const* names, size_t count, size_t from) {
    size_t at = from;
    for (size_t i = 0; i < count; i++) {
        const size_t found = text.find(std::string("\"") + names[i] + "\":", at);
        ASSERT_NE(found, std::string::npos) << names[i];
        at = found + 1;
    }
}

TEST_F(TraceTest, LineCarriesThePassEveryGlobalAndEveryActorFieldInOrder) {
    Actors.resize(2);
    TraceWritePass(trace.get(), 17);
    const std::string text = Finish();
    ASSERT_EQ(text.rfind("{\"pass\":17,\"Fps\":", 0), 0u) << text.substr(0, 40);
    ASSERT_EQ(text.back(), '\n');
    EXPECT_EQ(text.find('\n'), text.size() - 1);
    ExpectKeysInOrder(text, GlobalNames, std::size(GlobalNames), 0);
    const size_t actors = text.find("\"Actors\":[{");
    ASSERT_NE(actors, std::string::npos);
    ExpectKeysInOrder(text, ActorNames, std::size(ActorNames), actors);
    const size_t second = text.find("},{\"PosX\":", actors);
    ASSERT_NE(second, std::string::npos);
    ExpectKeysInOrder(text, ActorNames, std::size(ActorNames), second);
    EXPECT_EQ(text.compare(text.size() - 4, 4, "}]}\n"), 0);
}

TEST_F(TraceTest, ActorFieldsCarryTheirOwnValues) {
    Actors.resize(1);
    TActor& actor = Actors[0];
    actor.PosX = 1.5f;
    actor.QuadRow = -7;
    actor.ModelIndex = 1;
    actor.OnRoad = -1;
    actor.TouchQuad[9] = 43;
    actor.Laps = 2;
    actor.CheckpointSeen[99] = 99;
    actor.SteerSide = -1;
    actor.Skidding = 1;
    actor.Damage = 101;
    actor.RollResistance = 117.72f;
    TraceWritePass(trace.get(), 1);
    const std::string text = Finish();
    EXPECT_NE(text.find("\"PosX\":1.5,"), std::string::npos);
    EXPECT_NE(text.find("\"QuadRow\":-7,"), std::string::npos);
    EXPECT_NE(text.find("\"ModelIndex\":1,"), std::string::npos);
    EXPECT_NE(text.find("\"OnRoad\":-1,\"TouchQuad\":[0,0,0,0,0,0,0,0,0,43],\"Laps\":2,"), std::string::npos);
    std::string seen = "\"CheckpointSeen\":[";
    for (int i = 0; i < 99; i++)
        seen += "0,";
    EXPECT_NE(text.find(seen + "99],\"FinishHandled\":0,"), std::string::npos);
    EXPECT_NE(text.find("\"SteerSide\":-1,"), std::string::npos);
    EXPECT_NE(text.find("\"Damage\":101,"), std::string::npos);
    EXPECT_NE(text.find("\"Skidding\":1,"), std::string::npos);
    EXPECT_NE(text.find("\"RollResistance\":117.720001}"), std::string::npos);
}

TEST_F(TraceTest, GlobalsAreWrittenAsStored) {
    Fps = 60;
    TickNow = INT32_MIN;
    DemoMode = 1;
    Running = 0;
    CameraTurnsWithActor = -1;
    MouseSteering = -1;
    CamPosY = -2800.25f;
    LastKey = 27;
    CameraPresetName = "Räumlich hinterher";
    TraceWritePass(trace.get(), 3);
    const std::string text = Finish();
    EXPECT_NE(text.find("\"Fps\":60,"), std::string::npos);
    EXPECT_NE(text.find("\"TickNow\":-2147483648,"), std::string::npos);
    EXPECT_NE(text.find("\"DemoMode\":1,"), std::string::npos);
    EXPECT_NE(text.find("\"Running\":0,"), std::string::npos);
    EXPECT_NE(text.find("\"CameraTurnsWithActor\":-1,"), std::string::npos);
    EXPECT_NE(text.find("\"CamPosY\":-2800.25,"), std::string::npos);
    EXPECT_NE(text.find("\"CameraPresetName\":\"Räumlich hinterher\","), std::string::npos);
    EXPECT_NE(text.find("\"LastKey\":27,\"MouseX\":0,\"MouseSteering\":-1,\"Actors\":[]}"),
              std::string::npos);
}

TEST_F(TraceTest, FloatsUseNineSignificantDigitsAndReadBackExactly) {
    const float values[] = {0.1f,     1.0f / 3.0f, 16777217.0f, 3.40282347e38f, 1.17549435e-38f,
                            1.4e-45f, -0.0f,       123456.789f};
    // Each float is followed by an empty text, "", as a separator.
    for (float value : values) {
        TraceAppendFloat(trace.get(), value);
        TraceAppendText(trace.get(), "", 0);
    }
    const std::string text = Finish();
    EXPECT_EQ(text.rfind("0.100000001\"\"0.333333343\"\"16777216\"\"3.40282347e+38\"\"1.17549435e-38\"\""
                         "1.40129846e-45\"\"-0\"\"123456.789\"\"",
                         0),
              0u)
        << text;
    // Every float written this way parses back to the same bits.
    size_t at = 0;
    for (float value : values) {
        const size_t end = text.find('"', at);
        const float back = std::strtof(text.substr(at, end - at).c_str(), nullptr);
        EXPECT_EQ(std::memcmp(&back, &value, sizeof value), 0) << text.substr(at, end - at);
        at = end + 2;
    }
}

TEST_F(TraceTest, NonFiniteFloatsAreNull) {
    CamPosX = std::numeric_limits<float>::infinity();
    CamPosY = -std::numeric_limits<float>::infinity();
    CamPosZ = std::numeric_limits<float>::quiet_NaN();
    TraceWritePass(trace.get(), 1);
    const std::string text = Finish();
    EXPECT_NE(text.find("\"CamPosX\":null,\"CamPosY\":null,\"CamPosZ\":null,"), std::string::npos);
}

TEST_F(TraceTest, TextsStayUtf8WithJsonEscapes) {
    Message = "Willkommen bei tramolo - Drücke ENTER für Start!";
    TraceWritePass(trace.get(), 1);
    const std::string line = "\"Message\":\"Willkommen bei tramolo - Drücke ENTER für Start!\",";
    const char controls[] = "a\"b\\c\nd\x01\x7f";
    TraceAppendText(trace.get(), controls, sizeof controls - 1);
    // A lone continuation byte, a truncated sequence, an overlong slash and a surrogate are not UTF-8.
    const char broken[] = "\x80|\xC3|\xC0\xAF|\xED\xA0\x80|\xF0\x9F\x9A\x97";
    TraceAppendText(trace.get(), broken, sizeof broken - 1);
    const std::string text = Finish();
    EXPECT_NE(text.find(line), std::string::npos);
    EXPECT_NE(text.find("\"a\\\"b\\\\c\\u000ad\\u0001\\u007f\""), std::string::npos) << text;
    EXPECT_NE(text.find("\"\\ufffd|\\ufffd|\\ufffd\\ufffd|\\ufffd\\ufffd\\ufffd|\xF0\x9F\x9A\x97\""),
              std::string::npos);
}

TEST_F(TraceTest, LinesLongerThanTheBufferArriveWhole) {
    Actors.resize(200);
    for (size_t i = 0; i < Actors.size(); i++)
        Actors[i].Damage = (int32_t)i;
    TraceWritePass(trace.get(), 1);
    TraceWritePass(trace.get(), 2);
    const std::string text = Finish();
    ASSERT_GT(text.size(), 2 * TraceBufferSize);
    const size_t second = text.find("\n{\"pass\":2,");
    ASSERT_NE(second, std::string::npos);
    EXPECT_EQ(text.size(), 2 * (second + 1));
    EXPECT_NE(text.find("\"Damage\":199,"), std::string::npos);
}

TEST_F(TraceTest, TraceAppearsOnlyWhenFinished) {
    const std::string part = path + ".part";
    TraceWritePass(trace.get(), 1);
    EXPECT_EQ(access(path.c_str(), F_OK), -1);
    EXPECT_EQ(access(part.c_str(), F_OK), 0);
    Finish();
    EXPECT_EQ(access(path.c_str(), F_OK), 0);
    EXPECT_EQ(access(part.c_str(), F_OK), -1);
}

TEST_F(TraceTest, AbandonedTraceLeavesNothing) {
    TraceWritePass(trace.get(), 1);
    TraceAbandon(trace.get());
    EXPECT_EQ(access(path.c_str(), F_OK), -1);
    EXPECT_EQ(access((path + ".part").c_str(), F_OK), -1);
}

TEST_F(TraceTest, UnwritablePlacesAreRefused) {
    TTraceWriter other{};
    char error[200];
    EXPECT_FALSE(TraceOpen(&other, "/nonexistent-dir/trace.jsonl", error, sizeof error));
    EXPECT_NE(std::string(error).find("cannot be written"), std::string::npos);
    EXPECT_FALSE(TraceOpen(&other, ::testing::TempDir().c_str(), error, sizeof error));
    EXPECT_FALSE(TraceOpen(&other, "", error, sizeof error));
}

} // namespace
