// The head-up display: what each mode writes where, the race warnings, the damage bar and the message.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cfloat>
#include <clocale>
#include <cmath>
#include <string>
#include <vector>

#include "draw/Font.h"
#include "platform/headless/HeadlessPlatform.h"
#include "shell/Shell.h"
#include "world/DatenStruktur.h"
#include "world/Texts.h"
#include "world/World.h"

namespace {

struct TextCall {
    int32_t x;
    int32_t y;
    std::string text;
    int32_t brush;
};

std::vector<TextCall> Calls;
using Texts = std::vector<std::string>;

void RecordText(const TCanvas* canvas, int32_t x, int32_t y, const char* text) {
    Calls.push_back(TextCall{x, y, text, canvas->BrushColor});
}

constexpr int32_t White = RGBColor(255, 255, 255);
constexpr int32_t Red = RGBColor(255, 0, 0);
constexpr int32_t Black = RGBColor(0, 0, 0);

class Hud : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearGameState();
        ResetPlatformState();
        ScreenWidth = 600;
        ScreenHeight = 600;
        ActorCount = 6;
        ResizeArray(Actors, ActorCount);
        CurrentActor = 0;
        Fps = 100;
        DemoMode = 1;
        for (TActor& actor : Actors)
            actor.TouchQuad[RoadType] = 41; // on a road: no warning
        CanvasCreate(&BackBuffer, ScreenWidth, ScreenHeight);
        Calls.clear();
        CanvasTextObserver = RecordText;
    }
    void TearDown() override {
        CanvasTextObserver = nullptr;
        CanvasFree(&BackBuffer);
        std::setlocale(LC_NUMERIC, "C");
    }

    TActor& Current() { return Actors[(size_t)CurrentActor]; }
    // One display pass, recording only its own texts.
    void Draw() {
        Calls.clear();
        DrawHud();
    }

    // The texts written at (x, y), in the order they were written.
    Texts TextsAt(int32_t x, int32_t y) const {
        Texts texts;
        for (const TextCall& call : Calls)
            if (call.x == x && call.y == y) texts.push_back(call.text);
        return texts;
    }
    // The texts that begin with prefix.
    std::vector<TextCall> Starting(const std::string& prefix) const {
        std::vector<TextCall> found;
        for (const TextCall& call : Calls)
            if (call.text.rfind(prefix, 0) == 0) found.push_back(call);
        return found;
    }
    int32_t ColorAt(int32_t x, int32_t y) const { return ColorFromPixel(CanvasPixel(&BackBuffer, x, y)); }
};

// Every text call of the pass, one a line as "x y [text]", so blank runs stay visible.
std::string Listing() {
    std::string listing;
    for (const TextCall& call : Calls)
        listing += std::to_string(call.x) + " " + std::to_string(call.y) + " [" + call.text + "]\n";
    return listing;
}

// ---- The three display modes ----------------------------------------------------------------------------

TEST_F(Hud, KeyHelpListsTheCommandsWithPresetAndActor) {
    Seconds = 7;
    LastKey = 113;
    Fps = 58;
    CameraPresetName = "Räumlich hinterher";
    CurrentActor = 3;
    Message = "Start!";
    DrawHud();
    EXPECT_EQ(Listing(), R"(20 32 [F1=Displaywechsel    Sek.=7   Taste=113   F/S=58]
20 46 [F2=Ansichtwechsel (momentan Räumlich hinterher)]
20 60 [F3=Kameramoving Aus/Ein]
20 76 [F4=Auto-Ansichtwechsel-DEMO Ein/Aus]
20 92 [F5=Check-Line-Mode Ein/Aus]
20 108 [F6=Actorwechsel (momentan No 3)]
50 250 [Start!]
)");
}

TEST_F(Hud, DrivingFiguresShowEveryValueOfTheCurrentActor) {
    HudMode = 1;
    Seconds = 12;
    LastKey = 38;
    Fps = 40;
    ElapsedSeconds = 77;
    CurrentActor = 2;
    TActor& actor = Current();
    actor.Laps = 2;
    actor.Steering = 0.25f;
    actor.Distance = 1234.9f;
    actor.KineticEnergy = 54321.7f;
    actor.Resistance = -12.9f;
    actor.SlideSpeed = 80.6f;
    actor.CurveRadius = 45.9f;
    actor.TipSpeed = 90.1f;
    actor.CentrifugalForce = 3000.5f;
    actor.SpeedKmh = 95.2f;
    DrawHud();
    EXPECT_EQ(Listing(), R"(20 32 [F1=Displaywechsel    Sek.=12   Taste=38   F/S=40]
20 46 [Runde 2      Lenkungswinkel 10.0000]
20 60 [Weg: 1234 m in 77 Sekunden]
200 60 [Kinetische Energie kilo: 54321]
20 76 [Fahrwiderstand: -12 N]
200 76 [Rutschen in Kurve (80)]
350 76 [Radius Kurve: 45 m]
200 92 [Kipp-Speed: 90 km/h]
350 92 [Fliehkraft Kurve: 3000 N]
400 568 [Speed: 95 km/h]
310 568 [O]
300 584 [^ 10.0000]
50 250 []
)");
}

TEST_F(Hud, PositionAndCameraShowPoseCameraAndOffsets) {
    HudMode = 2;
    Seconds = 1;
    LastKey = 112;
    CurrentActor = 4;
    TActor& actor = Current();
    actor.PosX = 2250.7f;
    actor.PosY = -3.9f;
    actor.SpeedKmh = 120.99f;
    actor.QuadIndex = 42;
    actor.QuadPosX = 250.5f;
    actor.QuadPosY = 499.99f;
    actor.AngleX = 0.5f;
    actor.AngleY = -1.5f;
    actor.AngleZ = 270.9f;
    actor.WheelAngle = 265.2f;
    actor.AngleDiff = 5.7f;
    CamAngleX = -45;
    CamAngleY = 0;
    CamAngleZ = -270.9f;
    CamPosX = 2250;
    CamPosY = -33.5f;
    CamPosZ = 20;
    CamOffsetX = 0;
    CamOffsetY = -30;
    CamOffsetZ = 1.5772f;
    EyeDistance = 299.6f;
    DrawHud();
    EXPECT_EQ(Listing(), R"(20 32 [F1=Displaywechsel    Sek.=1   Taste=112   F/S=100]
20 46 [ActorNo=4   Actor X,Y in Welt=2250,-3   Speed=120 km/h]
20 60 [Actor X,Y im Quadranten 42= 250,499]
20 76 [ACTOR DREHUNG UM X,Y,Z = 0,-1,270]
20 92 [Winkel Räder = 265   Winkel Karosserie = 270    Differenz = 5]
20 540 [CAMERA DREHUNG um x,y,z = -45,0,-270]
20 554 [CAMERA POS X,Y,Z  = 2250,-33,20]
20 568 [CAMERA DELAY X[4,8]  Y[8,2]  Z[+,-] = 0.0000 , -30.0000 , 1.5772     AUGENABSTAND[1,7]=299]
50 250 []
)");
}

TEST_F(Hud, LinesAtTheBottomFollowTheScreenHeight) {
    ScreenHeight = 500;
    HudMode = 1;
    Draw();
    EXPECT_EQ(TextsAt(400, 468), Texts{"Speed: 0 km/h"});
    EXPECT_EQ(TextsAt(300, 484), Texts{"^ 0.0000"});
    HudMode = 2;
    Draw();
    for (int32_t y : {440, 454, 468})
        EXPECT_EQ(TextsAt(20, y).size(), 1u) << "y " << y;
}

// ---- Conditional lines of the driving figures -----------------------------------------------------------

TEST_F(Hud, SlideAndTipLinesOnlyAboveAPositiveLimit) {
    HudMode = 1;
    TActor& actor = Current();
    actor.SpeedKmh = 60;
    struct Case {
        float limit;
        bool shown;
    };
    for (Case c : {Case{59.5f, true}, Case{60, false}, Case{61, false}, Case{0, false}, Case{-5, false}}) {
        actor.SlideSpeed = c.limit;
        actor.TipSpeed = c.limit;
        Draw();
        EXPECT_EQ(TextsAt(200, 76), c.shown ? Texts{"Rutschen in Kurve (59)"} : Texts{})
            << "limit " << c.limit;
        EXPECT_EQ(TextsAt(200, 92), c.shown ? Texts{"Kipp-Speed: 59 km/h"} : Texts{}) << "limit " << c.limit;
        // The lines beside them stay.
        EXPECT_EQ(Starting("Radius Kurve: ").size(), 1u);
        EXPECT_EQ(Starting("Fliehkraft Kurve: ").size(), 1u);
    }
    actor.SlideSpeed = 59;
    actor.TipSpeed = 0;
    Draw();
    EXPECT_EQ(Starting("Rutschen").size(), 1u);
    EXPECT_TRUE(Starting("Kipp-Speed").empty());
}

// ---- The steering marker and the number formats ---------------------------------------------------------

TEST_F(Hud, MarkerMovesOnePixelPerDegreePerSecondFromTheCentreMark) {
    HudMode = 1;
    Draw();
    EXPECT_EQ(TextsAt(300, 568), Texts{"O"});
    EXPECT_EQ(TextsAt(300, 584), Texts{"^ 0.0000"});
    EXPECT_EQ(TextsAt(20, 46), Texts{"Runde 0      Lenkungswinkel 0.0000"});

    Current().Steering = -0.123f; // -12.3 degrees per second: left of the mark
    Draw();
    ASSERT_EQ(Starting("O").size(), 1u);
    EXPECT_EQ(Starting("O")[0].x, 287); // trunc(287.7) toward zero
    EXPECT_EQ(Starting("O")[0].y, 568);
    EXPECT_EQ(TextsAt(300, 584), Texts{"^ -12.3000"});

    Fps = 60;
    Current().Steering = 0.5f; // 30 degrees per second: right of the mark
    Draw();
    EXPECT_EQ(Starting("O")[0].x, 330);
}

TEST_F(Hud, RealValuesHaveFourDecimalsRounded) {
    HudMode = 1;
    Fps = 1;
    Current().Steering = -12.34567f;
    Draw();
    EXPECT_EQ(TextsAt(300, 584), Texts{"^ -12.3457"});
    EXPECT_EQ(TextsAt(20, 46), Texts{"Runde 0      Lenkungswinkel -12.3457"});
}

TEST_F(Hud, RealValuesUseTheLocaleDecimalSeparator) {
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "no German locale installed";
    HudMode = 2;
    CamOffsetY = -30.25f;
    Draw();
    EXPECT_NE(Starting("CAMERA DELAY")[0].text.find("= 0,0000 , -30,2500 , 0,0000 "), std::string::npos);
}

TEST_F(Hud, OutOfRangeValuesSaturateAndNaNShowsZero) {
    HudMode = 2;
    TActor& actor = Current();
    actor.PosX = NAN;
    actor.PosY = INFINITY;
    actor.SpeedKmh = -INFINITY;
    actor.QuadPosX = FLT_MAX;
    actor.QuadPosY = -FLT_MAX;
    CamOffsetX = NAN;
    EyeDistance = 1e12f;
    Draw();
    EXPECT_EQ(TextsAt(20, 46), Texts{"ActorNo=0   Actor X,Y in Welt=0,9223372036854775807   "
                                     "Speed=-9223372036854775808 km/h"});
    EXPECT_EQ(TextsAt(20, 60), Texts{"Actor X,Y im Quadranten 0= 9223372036854775807,-9223372036854775808"});
    // Beyond 32 bits a figure is still exact.
    EXPECT_NE(Starting("CAMERA DELAY")[0].text.find("AUGENABSTAND[1,7]=999999995904"), std::string::npos);

    HudMode = 1;
    actor.Steering = FLT_MAX;
    Draw();
    EXPECT_EQ(Starting("O")[0].x, INT32_MAX);
    actor.Steering = NAN;
    Draw();
    EXPECT_EQ(Starting("O")[0].x, 0);
}

TEST_F(Hud, WithoutAnActorEveryFigureReadsZero) {
    std::vector<TActor>().swap(Actors);
    CurrentActor = 9;
    HudMode = 2;
    Draw();
    EXPECT_EQ(TextsAt(20, 46), Texts{"ActorNo=9   Actor X,Y in Welt=0,0   Speed=0 km/h"});
}

// ---- The race block --------------------------------------------------------------------------------------

TEST_F(Hud, DemonstrationShowsNeitherWarningsNorDamageBar) {
    Current().TouchQuad[RoadType] = 0;
    Current().TouchQuad[StartCheckpointType] = 71;
    Current().TouchQuad[WayCheckpointType] = 62;
    Current().Damage = 50;
    Draw();
    EXPECT_TRUE(TextsAt(20, 270).empty());
    EXPECT_TRUE(TextsAt(20, 302).empty());
    EXPECT_EQ(ColorAt(479, 31), White);
    EXPECT_EQ(ColorAt(500, 40), White);
    EXPECT_EQ(BackBuffer.BrushColor, White);
}

TEST_F(Hud, WarningsOfTheCurrentActorOffTheRoadAndOnTheFinish) {
    DemoMode = 0;
    Actors[1].TouchQuad[RoadType] = 0;
    Actors[1].TouchQuad[StartCheckpointType] = 71;
    Draw();
    EXPECT_TRUE(TextsAt(20, 270).empty());
    EXPECT_TRUE(TextsAt(20, 302).empty());
    CurrentActor = 1;
    Draw();
    EXPECT_EQ(TextsAt(20, 270), Texts{"A U F   F A H R B A H N   B L E I B E N!"});
    EXPECT_EQ(TextsAt(20, 302), Texts{"F I N I S H !"});
    Current().TouchQuad[StartCheckpointType] = 0;
    Current().TouchQuad[WayCheckpointType] = 53;
    Draw();
    EXPECT_EQ(TextsAt(20, 302), Texts{"C H E C K P O I N T !"});
}

TEST_F(Hud, OnFinishAndCheckpointOnlyTheCheckpointShows) {
    DemoMode = 0;
    Current().TouchQuad[StartCheckpointType] = 71;
    Current().TouchQuad[WayCheckpointType] = 62;
    Draw();
    const Texts line = TextsAt(20, 302);
    ASSERT_FALSE(line.empty());
    EXPECT_EQ(line.back(), "C H E C K P O I N T !");

    // The longer checkpoint text covers the finish text completely.
    const size_t pixelCount = (size_t)BackBuffer.Width * (size_t)BackBuffer.Height;
    auto frame = [&](int32_t finish, int32_t checkpoint) {
        std::fill(BackBuffer.Pixels, BackBuffer.Pixels + pixelCount, PixelFromColor(White));
        Current().TouchQuad[StartCheckpointType] = finish;
        Current().TouchQuad[WayCheckpointType] = checkpoint;
        Draw();
        return std::vector<uint32_t>(BackBuffer.Pixels, BackBuffer.Pixels + pixelCount);
    };
    const std::vector<uint32_t> finishOnly = frame(71, 0);
    const std::vector<uint32_t> checkpointOnly = frame(0, 62);
    EXPECT_NE(finishOnly, checkpointOnly);
    EXPECT_TRUE(frame(71, 62) == checkpointOnly);
}

TEST_F(Hud, DamageBarIsOnePixelPerPointInsideABlackFrame) {
    DemoMode = 0;
    struct Pixel {
        int32_t x, y, color;
    };
    struct Case {
        int32_t damage;
        std::vector<Pixel> pixels;
    };
    const std::vector<Case> cases = {
        {0,
         {{479, 31, Black},
          {580, 52, Black},
          {479, 42, Black},
          {530, 31, Black},
          {480, 32, White},
          {579, 51, White},
          {581, 42, White},
          {478, 42, White}}},
        {37, {{480, 32, Red}, {516, 51, Red}, {517, 40, White}, {500, 52, Black}, {500, 31, Black}}},
        {100, {{480, 32, Red}, {579, 51, Red}, {580, 40, Black}, {479, 40, Black}}},
        {INT32_MAX, {{599, 40, Red}}},
        {-50, {{470, 40, White}, {480, 40, White}}},
    };
    for (const Case& c : cases) {
        CanvasFree(&BackBuffer);
        CanvasCreate(&BackBuffer, ScreenWidth, ScreenHeight);
        Current().Damage = c.damage;
        Draw();
        for (const Pixel& p : c.pixels)
            EXPECT_EQ(ColorAt(p.x, p.y), p.color) << "damage " << c.damage << " at " << p.x << "," << p.y;
    }
}

TEST_F(Hud, BrushIsWhiteAfterTheBarAndForTheMessage) {
    DemoMode = 0;
    Current().Damage = 20;
    Message = "G A M E   O V E R  Actor No 0";
    CanvasSetBrushColor(&BackBuffer, RGBColor(0, 128, 0));
    Draw();
    EXPECT_EQ(BackBuffer.BrushColor, White);
    ASSERT_FALSE(Calls.empty());
    EXPECT_EQ(Calls.back().text, "G A M E   O V E R  Actor No 0");
    EXPECT_EQ(Calls.back().brush, White);
}

// ---- The centre message ----------------------------------------------------------------------------------

TEST_F(Hud, MessageComesLastInEveryModeWithItsUmlauts) {
    DemoMode = 0;
    Current().TouchQuad[RoadType] = 0;
    Message = "Willkommen bei tramolo - Drücke ENTER für Start!";
    for (HudMode = 0; HudMode < 3; HudMode++) {
        Draw();
        ASSERT_FALSE(Calls.empty());
        EXPECT_EQ(Calls.front().y, 32);
        EXPECT_EQ(Calls.back().x, 50);
        EXPECT_EQ(Calls.back().y, 250);
        EXPECT_EQ(Calls.back().text, "Willkommen bei tramolo - Dr\xc3\xbc"
                                     "cke ENTER f\xc3\xbcr Start!");
    }
    Message.clear();
    Draw();
    for (const std::string& text : TextsAt(50, 250))
        EXPECT_EQ(text, "");
}

// ---- The layout with the largest figures ------------------------------------------------------------------

// Every text at its place with the largest figures a game shows: no two text cells meet, none reaches the
// damage bar, and each ends inside the drawing area. This needs the face the layout was made for: with a
// wider face built in, the test fails.
class HudLayout : public Hud {
  protected:
    void SetUp() override {
        Hud::SetUp();
        SelectPlatform(HeadlessBackend());
        DemoMode = 0;
        BuildWorld();
        SetLargestFigures();
    }

    void SetLargestFigures() {
        Seconds = 99999;
        ElapsedSeconds = 99999;
        LastKey = 255;
        Fps = 999;
        CurrentActor = ActorCount - 1;
        TActor& actor = Current();
        actor.Laps = 99999;
        actor.Distance = 99999.9f;
        actor.KineticEnergy = 999999.0f;
        actor.Resistance = -999999.0f;
        actor.SpeedKmh = 999999.0f;
        actor.SlideSpeed = 999998.0f; // below the speed: the slide and tip lines show
        actor.TipSpeed = 999998.0f;
        actor.CurveRadius = -999999.0f;
        actor.CentrifugalForce = -999999.0f;
        actor.PosX = actor.PosY = -999999.0f;
        actor.QuadIndex = 99;
        actor.QuadPosX = actor.QuadPosY = -999999.0f;
        actor.AngleX = actor.AngleY = actor.AngleZ = -999999.0f;
        actor.WheelAngle = actor.AngleDiff = -999999.0f;
        actor.Damage = 100;
        actor.TouchQuad[RoadType] = 0; // off the road: the warning shows
        CamAngleX = CamAngleY = CamAngleZ = -999999.0f;
        CamPosX = CamPosY = CamPosZ = -999999.0f;
        CamOffsetX = CamOffsetY = CamOffsetZ = -9999.9999f;
        EyeDistance = 99999.0f;
    }

    struct TCell {
        TRect Rect;
        std::string Text;
    };
    // The cells of the pass's texts, as the canvas paints them, and the damage bar's frame.
    std::vector<TCell> Cells() const {
        std::vector<TCell> cells;
        for (const TextCall& call : Calls) {
            if (call.text.empty()) continue;
            cells.push_back(TCell{
                TRect{call.x, call.y, call.x + FontTextWidth(call.text.c_str()), call.y + FontLineHeight()},
                call.text});
        }
        cells.push_back(TCell{TRect{479, 31, 581, 53}, "(damage bar)"});
        return cells;
    }
};

bool Meet(const TRect& a, const TRect& b) {
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

std::string Describe(const TRect& r, const std::string& text) {
    return "[" + text + "] at " + std::to_string(r.Left) + ".." + std::to_string(r.Right) + " x " +
           std::to_string(r.Top) + ".." + std::to_string(r.Bottom);
}

TEST_F(HudLayout, LargestFiguresKeepEveryTextApartAndInsideTheDrawingArea) {
    ASSERT_EQ(FontLineHeight(), 13);
    const std::array<const char*, 5> messages = {TextWelcome, TextPressEnter, TextWrongDirection, TextDizzy,
                                                 "G A M E   O V E R  Actor No 5"};
    int32_t passes = 0;
    for (int32_t mode = 0; mode < 3; mode++) {
        for (const float turnRate : {-90.0f, 90.0f}) {
            for (const bool checkpoint : {false, true}) {
                for (size_t m = 0; m < messages.size(); m++) {
                    HudMode = mode;
                    Current().Steering = turnRate / (float)Fps;
                    // The finish and the checkpoint text share a place; the checkpoint's paints over the
                    // finish's.
                    Current().TouchQuad[StartCheckpointType] = checkpoint ? 0 : 1;
                    Current().TouchQuad[WayCheckpointType] = checkpoint ? 1 : 0;
                    CameraPresetName = PresetNames[m];
                    Message = messages[m];
                    Draw();
                    passes++;
                    const std::vector<TCell> cells = Cells();
                    ASSERT_GE(cells.size(), 8u);
                    for (size_t i = 0; i < cells.size(); i++) {
                        const TRect& r = cells[i].Rect;
                        EXPECT_TRUE(r.Left >= ScreenRect.Left && r.Right <= ScreenRect.Right &&
                                    r.Top >= ScreenRect.Top && r.Bottom <= ScreenRect.Bottom)
                            << "mode " << mode << ": " << Describe(r, cells[i].Text)
                            << " leaves the drawing area";
                        for (size_t k = i + 1; k < cells.size(); k++) {
                            EXPECT_FALSE(Meet(r, cells[k].Rect))
                                << "mode " << mode << ": " << Describe(r, cells[i].Text) << " meets "
                                << Describe(cells[k].Rect, cells[k].Text);
                        }
                    }
                }
            }
        }
    }
    EXPECT_EQ(passes, 60);
}

} // namespace
