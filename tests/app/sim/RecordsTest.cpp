// Records through the runner: the reference race round the ring (tests/golden/race-laps.txt) timed lap by
// lap, its best lap kept, replaced only by a better one and always whole, verified by replaying it, raced as
// a ghost, and drawn only as a picture: the trace never changes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "app/sim/RunnerHarness.h"
#include "draw/PngFile.h"
#include "records/Records.h"

using namespace runnertest;

namespace {

const std::string LapsScript = std::string(TRAMOLO_SOURCE_DIR) + "/tests/golden/race-laps.txt";
// Where the reference race counts its laps: the pass and the lap's time, lap 3 slower than lap 2.
constexpr int LapPasses[] = {2230, 4161, 6647, 8531};

struct TLap {
    int Lap;
    long long Ms;
    bool operator==(const TLap&) const = default;
};

class RecordsTest : public RunnerTest {
  protected:
    void SetUp() override {
        RunnerTest::SetUp();
        folder = prefix + "records";
        std::filesystem::remove_all(folder);
    }
    void TearDown() override {
        std::filesystem::remove_all(folder);
        RunnerTest::TearDown();
    }
    // The reference race for the given passes with records kept; its standard output in said.
    int Race(int passes, std::vector<std::string> more = {}) {
        std::vector<std::string> args = {"--pass-ms", "40",       "--passes",  std::to_string(passes),
                                         "--input",   LapsScript, "--records", folder};
        args.insert(args.end(), more.begin(), more.end());
        ::testing::internal::CaptureStdout();
        const int code = Run(args);
        said = ::testing::internal::GetCapturedStdout();
        return code;
    }
    // The one record file the folder holds.
    std::string RecordPath() {
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            return entry.path().string();
        return folder + "/none";
    }
    // --verify's exit code; its laps in laps, everything it said in said.
    int Verify(const std::string& path) {
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        const int code = Run({"--verify", path});
        const std::string out = ::testing::internal::GetCapturedStdout();
        said = out + ::testing::internal::GetCapturedStderr();
        laps.clear();
        std::istringstream text(out);
        for (std::string line; std::getline(text, line);) {
            int lap = 0, minutes = 0, seconds = 0, ms = 0;
            if (std::sscanf(line.c_str(), "tramolo-sim: lap %d  %d:%d.%d", &lap, &minutes, &seconds, &ms) ==
                4)
                laps.push_back(TLap{lap, minutes * 60000LL + seconds * 1000LL + ms});
        }
        return code;
    }
    std::string folder, said;
    std::vector<TLap> laps;
};

// A frame the runner wrote: 600 x 600 pixels, each 0xAARRGGBB.
struct TPicture {
    std::vector<uint32_t> Pixels;
    int32_t Width = 0, Height = 0;
};

TPicture ReadPng(const std::string& path) {
    const std::string data = ReadFile(path);
    TPicture picture;
    EXPECT_TRUE(ReadPngPixels((const uint8_t*)data.data(), data.size(), 4096, &picture.Pixels, &picture.Width,
                              &picture.Height))
        << path;
    return picture;
}

// The ghost's poses as the record writes them: milliseconds and six floats as bits.
std::vector<TGhostPose> GhostOf(const std::string& record) {
    std::vector<TGhostPose> poses;
    std::istringstream text(record);
    for (std::string line; std::getline(text, line);) {
        TGhostPose p{};
        uint32_t bits[6];
        if (std::sscanf(line.c_str(), "#g %u %x %x %x %x %x %x", &p.Ms, &bits[0], &bits[1], &bits[2],
                        &bits[3], &bits[4], &bits[5]) != 7)
            continue;
        std::memcpy(&p.X, bits, sizeof bits);
        poses.push_back(p);
    }
    return poses;
}

TEST_F(RecordsTest, LapTimesAreTheTickDifferencesOfTheLapsInTheTrace) {
    ASSERT_EQ(Race(8800, {"--quiet", "--trace", tracePath}), 0);
    // From the trace: the race begins in the first pass out of the demonstration; a lap is counted where
    // the player's car's lap count goes up.
    std::vector<TLap> fromTrace;
    std::istringstream text(ReadFile(tracePath));
    long long start = 0;
    long long count = 0;
    bool racing = false;
    std::vector<int> passes;
    for (std::string line; std::getline(text, line);) {
        const long long tick = Field(line, "TickNow"), now = Field(line, "Laps");
        if (!racing && Field(line, "DemoMode") == 0) racing = true, start = tick, count = now;
        if (racing && now != count) {
            fromTrace.push_back(TLap{(int)count, (long long)(uint32_t)(tick - start)});
            passes.push_back((int)Field(line, "pass"));
            start = tick;
            count = now;
        }
    }
    EXPECT_EQ(passes, std::vector<int>(std::begin(LapPasses), std::end(LapPasses)));
    ASSERT_EQ(Verify(RecordPath()), 0) << said;
    EXPECT_EQ(laps, fromTrace);
    // Lap 3 is the slowest, lap 4 the fastest: the record is lap 4.
    ASSERT_EQ(laps.size(), 4u);
    EXPECT_GT(laps[2].Ms, laps[1].Ms);
    EXPECT_LT(laps[3].Ms, laps[1].Ms);
    EXPECT_NE(said.find("is true: lap 4 in "), std::string::npos) << said;
}

TEST_F(RecordsTest, ABetterLapReplacesTheRecordWholeAndAWorseOneLeavesIt) {
    const struct {
        int Passes;
        const char* Kept; // the runner's lines, in order
        int Lap;          // the record's lap afterwards
        bool Unchanged;   // the record is the one before, byte for byte
    } runs[] = {
        {LapPasses[0] + 10, "lap 1 in 1:29.160", 1, false},
        {LapPasses[1] + 10, "lap 2 in 1:17.240", 2, false},
        // Lap 1 is worse, lap 2 only as good, lap 3 worse: nothing is written.
        {LapPasses[2] + 10, "", 2, true},
        {8800, "lap 4 in 1:15.360", 4, false},
    };
    std::string before;
    for (const auto& run : runs) {
        ASSERT_EQ(Race(run.Passes), 0) << run.Passes;
        if (run.Kept[0] != '\0') {
            EXPECT_NE(said.find(std::string("tramolo-sim: ") + run.Kept +
                                " is the best of this track: " + RecordPath()),
                      std::string::npos)
                << said;
        } else {
            EXPECT_EQ(said.find("is the best"), std::string::npos) << said;
        }
        EXPECT_EQ(FolderFiles(folder).find(".part"), std::string::npos);
        const std::string record = ReadFile(RecordPath());
        EXPECT_EQ(record == before, run.Unchanged) << run.Passes;
        EXPECT_NE(record.find("\n#: lap " + std::to_string(run.Lap) + " "), std::string::npos) << run.Passes;
        // Whole: the recording ends with the pass of the lap, and it proves the lap.
        ASSERT_EQ(Verify(RecordPath()), 0) << said;
        EXPECT_EQ(laps.back().Lap, run.Lap);
        before = record;
    }
}

TEST_F(RecordsTest, VerifyingSaysTrueFalseOrUnreadableAndChangesNoRecord) {
    ASSERT_EQ(Race(LapPasses[1] + 10, {"--quiet"}), 0);
    const std::string truth = ReadFile(RecordPath());
    const auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = truth;
        const size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return at == std::string::npos ? text : text.replace(at, from.size(), to);
    };
    // The recording without its last lines: the lap's end is not in it.
    const std::string cut = truth.substr(0, truth.rfind('\n', truth.size() - 300) + 1);
    const std::string firstPose = truth.substr(
        truth.find("\n#g ") + 1, truth.find('\n', truth.find("\n#g ") + 1) - truth.find("\n#g "));
    const struct {
        const char* Name;
        std::string Text;
        int Code;
        const char* Says;
    } cases[] = {
        {"the record as kept", truth, 0, "is true: lap 2 in 1:17.240 is what its replay gives"},
        {"a changed time", replaced("#: lap 2 77240", "#: lap 2 77230"), 1,
         "its replay's last lap is lap 2 in 1:17.240, where the record claims lap 2 in 1:17.230"},
        {"another lap's number", replaced("#: lap 2 77240", "#: lap 1 77240"), 1,
         "where the record claims lap 1"},
        {"a recording cut short", cut, 1, "its replay's last lap is lap 1 in 1:29.160"},
        {"another track's record",
         replaced("#: track " + TrackName(TrackDigest()), "#: track 0123456789abcdef"), 1,
         "a record of another track"},
        {"a ghost that drives elsewhere", replaced(firstPose, "#g 0 0 0 0 0 0 0\n"), 1,
         "its ghost does not drive the path"},
        {"a garbled recording", replaced("\n1 down 13\n", "\n1 dwon 13\n"), 2, "unknown verb 'dwon'"},
        {"a garbled head", replaced("#: version", "#: versoin"), 2, "\"#: version\" is expected"},
        {"a recording out of pass order", replaced("\n1 down 13\n", "\n9999 down 13\n"), 2,
         "does not stand in pass order"},
        {"no record at all", "", 2, "ends before the record's head is whole"},
    };
    const std::string path = prefix + "verified.txt";
    for (const auto& c : cases) {
        std::ofstream(path, std::ios::binary) << c.Text;
        struct stat before {};
        stat(path.c_str(), &before);
        EXPECT_EQ(Verify(path), c.Code) << c.Name << ": " << said;
        EXPECT_NE(said.find(c.Says), std::string::npos) << c.Name << ": " << said;
        // One line of verdict; the file as it was.
        EXPECT_EQ(ReadFile(path), c.Text) << c.Name;
        struct stat after {};
        stat(path.c_str(), &after);
        EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
        EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    }
    std::remove(path.c_str());
    EXPECT_EQ(Verify(prefix + "missing.txt"), 2);
    EXPECT_NE(said.find("cannot be read: it is no file"), std::string::npos) << said;
    EXPECT_EQ(Verify(folder), 2);
    // --verify runs no game of its own.
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Run({"--verify", RecordPath(), "--passes", "5"}), 2);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("--passes does not go with it"),
              std::string::npos);
}

TEST_F(RecordsTest, ARecordThatCannotBeReadOrWrittenIsLeftWholeAndSaidSo) {
    ASSERT_EQ(Race(LapPasses[1] + 10, {"--quiet"}), 0);
    const std::string record = RecordPath();
    const std::string kept = ReadFile(record);
    const std::string name = record.substr(record.rfind('/') + 1);
    const std::string race = "--pass-ms 40 --passes 8800 --input " + LapsScript + " --records .";
    const struct {
        const char* Name;
        std::string Before; // shell in the records folder, the record there
        std::string Runner; // what runs the runner: nothing, or a limit on it
        int Code;
        std::string Says;
    } cases[] = {
        {"a garbled record", "printf 'mine\\n' > " + name, "", 0,
         "--records: the record ./" + std::string(name) +
             " cannot be read (line 1: the record's head ends before "},
        {"a full disk", ":", "trap '' XFSZ; prlimit --fsize=120000", 2,
         "File too large; the record there is left"},
        {"a folder nobody may write in", "chmod 0555 .", "", 2,
         "Permission denied; the record there is left"},
    };
    for (const auto& c : cases) {
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        std::ofstream(folder + "/" + name, std::ios::binary) << kept;
        ShellStatus("cd " + Quoted(folder) + " && " + c.Before + "; echo 0");
        // Root may write anywhere: the runner then runs as nobody, whom the folder's mode stops.
        const bool asNobody = c.Before.find("0555") != std::string::npos && geteuid() == 0;
        const std::string err = prefix + "err";
        std::remove(err.c_str());
        const std::string runner =
            c.Runner + " " + TRAMOLO_SIM_PATH + " " + race + " >/dev/null 2>" + Quoted(err);
        EXPECT_EQ(ShellStatus("cd " + Quoted(folder) + " && " +
                              (asNobody ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "") +
                              "sh -c " + Quoted(runner) + "; echo $?"),
                  c.Code)
            << c.Name << ": " << ReadFile(err);
        const std::string said = ReadFile(err);
        EXPECT_NE(said.find(c.Says), std::string::npos) << c.Name << ": " << said;
        EXPECT_EQ(said.find('\n'), said.size() - 1) << c.Name << ": one line: " << said;
        const std::string left = ReadFile(folder + "/" + name);
        EXPECT_EQ(left, std::string(c.Name) == "a garbled record" ? "mine\n" : kept) << c.Name;
        EXPECT_EQ(FolderFiles(folder), name + "=" + left.substr(0, left.find_last_not_of('\n') + 1))
            << c.Name;
        ShellStatus("chmod 0755 " + Quoted(folder) + "; echo 0");
    }
    std::remove((prefix + "err").c_str());
}

// The view with the best lap's ghost against the view off: the same trace, and frames that differ only by
// the ghost's grey and the records line; in the line view the ghost stands where its record puts it. Only
// the window's part of a frame counts: lines that reach past it stay in the margin, which no pass clears.
TEST_F(RecordsTest, TheRecordsViewAndItsGhostAreAPictureOnly) {
    ASSERT_EQ(Race(8800, {"--quiet"}), 0); // the record: lap 4, the fastest
    const std::vector<TGhostPose> ghost = GhostOf(ReadFile(RecordPath()));
    ASSERT_FALSE(ghost.empty());
    // The race again, the line view on in lap 2 from pass 2400 to 2600.
    const std::string script =
        ReadFile(LapsScript) + "2400 down 116\n2401 up 116\n2600 down 116\n2601 up 116\n";
    std::ofstream(scriptPath, std::ios::binary) << script;
    const std::string frames[2][2] = {{prefix + "off-3d.png", prefix + "off-line.png"},
                                      {prefix + "on-3d.png", prefix + "on-line.png"}};
    std::string traces[2];
    for (int view = 0; view < 2; view++) {
        std::vector<std::string> args = {"--quiet",
                                         "--pass-ms",
                                         "40",
                                         "--passes",
                                         "2700",
                                         "--input",
                                         scriptPath,
                                         "--records",
                                         folder,
                                         "--trace",
                                         tracePath,
                                         "--png",
                                         "2500:" + frames[view][1],
                                         "--png",
                                         "2650:" + frames[view][0]};
        if (view == 1) args.push_back("--records-view");
        ASSERT_EQ(Run(args), 0);
        traces[view] = ReadFile(tracePath);
    }
    EXPECT_EQ(traces[0], traces[1]);

    const TPicture pixels[2][2] = {{ReadPng(frames[0][0]), ReadPng(frames[0][1])},
                                   {ReadPng(frames[1][0]), ReadPng(frames[1][1])}};
    const uint32_t grey = PixelFromColor(RGBColor(128, 128, 128));
    const auto inWindow = [](size_t i) {
        const size_t x = i % 600, y = i / 600;
        return x >= 2 && x < 598 && y >= 26 && y < 598;
    };
    for (int kind = 0; kind < 2; kind++) {
        int greys = 0;
        for (size_t i = 0; i < pixels[0][kind].Pixels.size(); i++) {
            const int32_t x = (int32_t)(i % 600), y = (int32_t)(i / 600);
            if (!inWindow(i)) continue;
            const uint32_t off = pixels[0][kind].Pixels[i], on = pixels[1][kind].Pixels[i];
            if (on == grey) greys++;
            const bool lineBox = y >= RecordsLineY && y < RecordsLineY + 13 && x >= RecordsLineX && x < 300;
            if (off != on) {
                ASSERT_TRUE(on == grey || lineBox) << "a pixel at " << x << "," << y;
            }
        }
        // A car is some 2 by 4 metres: its outline in the line view, a metre a pixel, is small.
        EXPECT_GT(greys, kind == 0 ? 20 : 8) << (kind == 0 ? "3D view" : "line view");
    }

    // In the line view of pass 2500 the car is the map's centre; the ghost is where it was as long into
    // its lap as the car is into lap 2, which began in pass 2230.
    std::istringstream text(traces[1]);
    std::string line, begun, now;
    for (int pass = 1; std::getline(text, line); pass++) {
        if (pass == LapPasses[0]) begun = line;
        if (pass == 2500) now = line;
    }
    const uint32_t into = (uint32_t)(Field(now, "TickNow") - Field(begun, "TickNow"));
    TGhostPose at = ghost[0];
    for (const TGhostPose& pose : ghost)
        if (pose.Ms <= into) at = pose;
    const double gx = 300 + at.X - Number(now, "PosX"), gy = 300 + at.Y - Number(now, "PosY");
    int near = 0, far = 0;
    for (size_t i = 0; i < pixels[1][1].Pixels.size(); i++) {
        if (pixels[1][1].Pixels[i] != grey || !inWindow(i)) continue;
        const double dx = (double)(i % 600) - gx, dy = (double)(i / 600) - gy;
        (dx * dx + dy * dy < 8.0 * 8.0 ? near : far)++;
    }
    EXPECT_GT(near, 8);
    EXPECT_EQ(far, 0);
}

TEST_F(RecordsTest, SomeoneElsesGhostIsRacedOnlyWhenItsRecordIsTrue) {
    ASSERT_EQ(Race(LapPasses[1] + 10, {"--quiet"}), 0);
    const std::string theirs = prefix + "theirs.txt";
    std::filesystem::copy_file(RecordPath(), theirs);
    std::filesystem::remove_all(folder);
    // Raced: the race runs as it would, the ghost drawn over it.
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(RunScript(ReadFile(LapsScript), {"--pass-ms", "40", "--passes", "2500", "--ghost", theirs,
                                               "--records-view", "--png", "2500:" + pngPath}),
              0);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    const std::vector<std::string> raced = lines;
    RunScript(ReadFile(LapsScript), {"--pass-ms", "40", "--passes", "2500"});
    EXPECT_EQ(raced, lines);
    const TPicture frame = ReadPng(pngPath);
    EXPECT_GT(std::count(frame.Pixels.begin(), frame.Pixels.end(), PixelFromColor(RGBColor(128, 128, 128))),
              20);

    // Refused: a changed time is false, a garbled file unreadable; nothing runs, no file is made.
    std::string text = ReadFile(theirs);
    text.replace(text.find("#: lap 2 77240"), 14, "#: lap 2 70000");
    std::ofstream(theirs, std::ios::binary) << text;
    std::remove(tracePath.c_str());
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Run({"--ghost", theirs, "--trace", tracePath}), 1);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("--ghost: " + theirs + " is false"),
              std::string::npos);
    std::ofstream(theirs, std::ios::binary) << "garbled\n";
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Run({"--ghost", theirs, "--trace", tracePath}), 2);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("cannot be read as a record"), std::string::npos);
    EXPECT_FALSE(Exists(tracePath));
    std::remove(theirs.c_str());
}

} // namespace
