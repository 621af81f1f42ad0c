// The trace: which globals and actor fields each line carries, in which order, and how numbers and texts
// are written.
#include "replay/Trace.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>

#include "world/DatenStruktur.h"

namespace {

// The keys of a line, and of each actor, in their order.
const char GlobalNames[] =
    "Fps FrameCounter TickNow Seconds ElapsedSeconds Message MessageSeconds DemoMode "
    "GameOverPending Running HudMode CheckLineMode CurrentActor CameraPreset "
    "CameraPresetName CamPosX CamPosY CamPosZ CamAngleX CamAngleY CamAngleZ CamOffsetX "
    "CamOffsetY CamOffsetZ CamBaseHeight EyeDistance CameraMoving CameraTurnsWithActor "
    "CamNoOffset CamSpeedHeight AutoPresetChange LastKey MouseX MouseSteering Actors";
const char ActorNames[] =
    "PosX PosY PosZ QuadPosX QuadPosY QuadPosZ QuadCol QuadRow StepX StepY StepZ AngleX "
    "AngleY AngleZ PrevPosX PrevPosY PrevPosZ PrevAngleX PrevAngleY PrevAngleZ WheelAngle "
    "AngleDiff ModelIndex StepLength Accel MaxStepLength QuadIndex OnRoad TouchQuad Laps "
    "CheckpointSeen FinishHandled CheckpointTally Steering SteerRate SteerSide BounceTurn "
    "Damage SpeedKmh Distance Mass CurveRadius CentrifugalForce Friction SlideSpeed "
    "Skidding TipSpeed KineticEnergy CogHeight TrackWidth DragCoefficient FrontalArea "
    "DragArea Resistance RollCoefficient RollResistance";

class TraceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearGameState();
        path = ::testing::TempDir() + "trace-test-" + std::to_string(getpid()) + ".jsonl";
        trace = std::make_unique<TTraceWriter>();
        file = std::fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr) << path;
        TraceStart(trace.get(), file);
    }
    void TearDown() override {
        if (file != nullptr) std::fclose(file);
        std::remove(path.c_str());
    }
    // Finishes the trace and returns the file's text.
    std::string Finish() {
        EXPECT_TRUE(TraceFlush(trace.get()));
        std::fclose(file);
        file = nullptr;
        std::ifstream file(path, std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }
    bool Has(const std::string& text, const std::string& piece) {
        return text.find(piece) != std::string::npos;
    }

    std::string path;
    std::unique_ptr<TTraceWriter> trace;
    FILE* file = nullptr;
};

// Each name appears as a key after the one before it; returns where the last one was found.
size_t ExpectKeysInOrder(const std::string& text, const char* names, size_t at) {
    std::istringstream list(names);
    for (std::string name; list >> name;) {
        at = text.find("\"" + name + "\":", at);
        EXPECT_NE(at, std::string::npos) << name;
        if (at == std::string::npos) return at;
    }
    return at;
}

TEST_F(TraceTest, LineCarriesThePassEveryGlobalAndEveryActorFieldInOrder) {
    Actors.resize(2);
    TraceWritePass(trace.get(), 17);
    const std::string text = Finish();
    EXPECT_EQ(text.rfind("{\"pass\":17,\"Fps\":", 0), 0u);
    EXPECT_EQ(text.find('\n'), text.size() - 1);
    const size_t actors = ExpectKeysInOrder(text, GlobalNames, 0);
    ASSERT_NE(actors, std::string::npos);
    const size_t first = ExpectKeysInOrder(text, ActorNames, actors);
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(ExpectKeysInOrder(text, ActorNames, first), text.rfind("\"RollResistance\""));
    EXPECT_EQ(text.compare(text.size() - 4, 4, "}]}\n"), 0);
}

TEST_F(TraceTest, ValuesAreWrittenAsStored) {
    Actors.resize(1);
    Actors[0].PosX = 1.5f;
    Actors[0].OnRoad = -1;
    Actors[0].TouchQuad[RoadType] = 43;
    Actors[0].CheckpointSeen[99] = 99;
    Actors[0].Skidding = 1;
    Actors[0].RollResistance = 117.72f;
    TickNow = INT32_MIN;
    DemoMode = 1;
    CameraTurnsWithActor = -1;
    CameraPresetName = "Räumlich hinterher";
    TraceWritePass(trace.get(), 3);
    const std::string text = Finish();
    EXPECT_TRUE(Has(text, "\"PosX\":1.5,"));
    EXPECT_TRUE(Has(text, "\"OnRoad\":-1,\"TouchQuad\":[0,0,0,0,0,0,0,0,0,43],\"Laps\":0,"));
    EXPECT_TRUE(Has(text, ",0,99],\"FinishHandled\":0,"));
    EXPECT_TRUE(Has(text, "\"Skidding\":1,"));
    EXPECT_TRUE(Has(text, "\"RollResistance\":117.720001}"));
    EXPECT_TRUE(Has(text, "\"TickNow\":-2147483648,"));
    EXPECT_TRUE(Has(text, "\"DemoMode\":1,"));
    EXPECT_TRUE(Has(text, "\"CameraTurnsWithActor\":-1,"));
    EXPECT_TRUE(Has(text, "\"CameraPresetName\":\"Räumlich hinterher\","));
}

TEST_F(TraceTest, FloatsUseNineSignificantDigitsReadBackExactlyAndNonFiniteIsNull) {
    const float values[] = {0.1f, 1.0f / 3.0f, 16777217.0f, 3.40282347e38f, 1.4e-45f, -0.0f, 123456.789f};
    for (float value : values) {
        TraceAppendFloat(trace.get(), value);
        TraceAppendText(trace.get(), "", 0); // "" as a separator
    }
    TraceAppendFloat(trace.get(), std::numeric_limits<float>::infinity());
    TraceAppendFloat(trace.get(), std::numeric_limits<float>::quiet_NaN());
    const std::string text = Finish();
    EXPECT_EQ(text, "0.100000001\"\"0.333333343\"\"16777216\"\"3.40282347e+38\"\"1.40129846e-45\"\"-0\"\""
                    "123456.789\"\"nullnull");
    size_t at = 0;
    for (float value : values) {
        const size_t end = text.find('"', at);
        const float back = std::strtof(text.substr(at, end - at).c_str(), nullptr);
        EXPECT_EQ(std::memcmp(&back, &value, sizeof value), 0) << text.substr(at, end - at);
        at = end + 2;
    }
}

TEST_F(TraceTest, TextsStayUtf8WithJsonEscapes) {
    Message = "Willkommen bei tramolo - Drücke ENTER für Start!";
    TraceWritePass(trace.get(), 1);
    const char controls[] = "a\"b\\c\nd\x01";
    TraceAppendText(trace.get(), controls, sizeof controls - 1);
    // A lone continuation byte, a cut sequence, an overlong slash and a surrogate are not UTF-8.
    const char broken[] = "\x80|\xC3|\xC0\xAF|\xED\xA0\x80|\xF0\x9F\x9A\x97";
    TraceAppendText(trace.get(), broken, sizeof broken - 1);
    const std::string text = Finish();
    EXPECT_TRUE(Has(text, "\"Message\":\"Willkommen bei tramolo - Drücke ENTER für Start!\","));
    EXPECT_TRUE(Has(text, "\"a\\\"b\\\\c\\u000ad\\u0001\""));
    EXPECT_TRUE(Has(text, "\"\\ufffd|\\ufffd|\\ufffd\\ufffd|\\ufffd\\ufffd\\ufffd|\xF0\x9F\x9A\x97\""));
}

TEST_F(TraceTest, LinesLongerThanTheBufferArriveWhole) {
    Actors.resize(200);
    Actors[199].Damage = 199;
    TraceWritePass(trace.get(), 1);
    TraceWritePass(trace.get(), 2);
    const std::string text = Finish();
    ASSERT_GT(text.size(), 2 * TraceBufferSize);
    EXPECT_EQ(text.size(), 2 * (text.find("\n{\"pass\":2,") + 1));
    EXPECT_TRUE(Has(text, "\"Damage\":199,"));
}

TEST_F(TraceTest, TheBufferReachesTheFileOnlyWhenFlushedAndAFailedWriteIsKept) {
    TraceWritePass(trace.get(), 1);
    std::fflush(file);
    EXPECT_EQ(std::ftell(file), 0);
    EXPECT_TRUE(TraceFlush(trace.get()));
    EXPECT_GT(std::ftell(file), 0);
    FILE* full = std::fopen("/dev/full", "wb");
    ASSERT_NE(full, nullptr);
    TraceStart(trace.get(), full);
    TraceWritePass(trace.get(), 1);
    EXPECT_FALSE(TraceFlush(trace.get()));
    TraceWritePass(trace.get(), 2);
    EXPECT_TRUE(trace->Failed);
    std::fclose(full);
}

} // namespace
