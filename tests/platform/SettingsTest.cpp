// The settings file: what each line gives, what a bad one keeps, the text written read back the same, and
// the file on disk: missing, unreadable, garbled, unwritable, and never left half written.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Settings.h"

namespace {

bool SameSettings(const TSettings& a, const TSettings& b) {
    return a.HasPlace == b.HasPlace && a.WindowX == b.WindowX && a.WindowY == b.WindowY &&
           a.WindowWidth == b.WindowWidth && a.WindowHeight == b.WindowHeight &&
           a.Fullscreen == b.Fullscreen && a.Scaling == b.Scaling && a.Presenting == b.Presenting &&
           a.Pad.DeadZone == b.Pad.DeadZone && a.Pad.TriggerThreshold == b.Pad.TriggerThreshold &&
           a.Pad.AnalogueSteering == b.Pad.AnalogueSteering && a.RecordsView == b.RecordsView;
}

TSettings Placed(int32_t x, int32_t y, int32_t width, int32_t height) {
    TSettings settings;
    settings.HasPlace = true;
    settings.WindowX = x;
    settings.WindowY = y;
    settings.WindowWidth = width;
    settings.WindowHeight = height;
    return settings;
}

TEST(SettingsText, EachLineGivesItsValueAndABadOneKeepsTheDefault) {
    TSettings fullscreenOneToOne;
    fullscreenOneToOne.Fullscreen = true;
    fullscreenOneToOne.Scaling = TScaling::OneToOne;
    TSettings everyPass;
    everyPass.Presenting = TPresenting::EveryPass;
    TSettings recordsView;
    recordsView.RecordsView = true;
    TSettings placedFullscreen = Placed(-1200, 40, 1192, 1144);
    placedFullscreen.Fullscreen = true;
    TSettings pad;
    pad.Pad = TPadSettings{.DeadZone = 0, .TriggerThreshold = 90, .AnalogueSteering = true};
    const struct {
        const char* Text;
        TSettings Want;
        int32_t BadLines;
        int32_t FirstBadLine;
    } rows[] = {
        {"", TSettings{}, 0, 0},
        {"# only a comment\n\n   \n", TSettings{}, 0, 0},
        {"fullscreen = yes\nscaling = one-to-one\n", fullscreenOneToOne, 0, 0},
        {"  fullscreen=yes\r\n\tscaling =one-to-one  \r\n", fullscreenOneToOne, 0, 0},
        {"presenting = every-pass\n", everyPass, 0, 0},
        {"records-view = on\n", recordsView, 0, 0},
        {"records-view = on\nrecords-view = off\n", TSettings{}, 0, 0},
        {"records-view = yes\n", TSettings{}, 1, 1},
        {"window-x = 10\nwindow-y = 20\nwindow-width = 596\nwindow-height = 572\n", Placed(10, 20, 596, 572),
         0, 0},
        {"window-x=-1200\nwindow-y=40\nwindow-width=1192\nwindow-height=1144\nfullscreen=yes\n",
         placedFullscreen, 0, 0},
        // A later game's keys are no fault.
        {"ghost-colour = red\nfullscreen = yes\nscaling = one-to-one\n", fullscreenOneToOne, 0, 0},
        // Three of the four place keys give no place.
        {"window-x = 10\nwindow-y = 20\nwindow-width = 596\n", TSettings{}, 0, 0},
        // A bad place value leaves the place out, and is counted.
        {"window-x = 10\nwindow-y = twenty\nwindow-width = 596\nwindow-height = 572\n", TSettings{}, 1, 2},
        {"window-x = 10\nwindow-y = 20\nwindow-width = 0\nwindow-height = 572\n", TSettings{}, 1, 3},
        {"window-x = 10\nwindow-y = 20\nwindow-width = 596\nwindow-height = 99999999999\n", TSettings{}, 1,
         4},
        {"window-x = 2000000\nwindow-y = 20\nwindow-width = 596\nwindow-height = 572\n", TSettings{}, 1, 1},
        {"fullscreen = maybe\nscaling = one-to-one\nfullscreen = yes\n", fullscreenOneToOne, 1, 1},
        {"scaling = blurry\n", TSettings{}, 1, 1},
        {"presenting =\n", TSettings{}, 1, 1},
        {"this is not a setting\nfullscreen yes\n= yes\n", TSettings{}, 3, 1},
        {"full screen = yes\n", TSettings{}, 1, 1},
        {"pad-dead-zone = 0\npad-trigger-threshold = 90\npad-analogue-steering = yes\n", pad, 0, 0},
        // Beyond 90 % a stick or trigger would hardly ever act; a fraction is not a percentage.
        {"pad-dead-zone = 91\npad-trigger-threshold = -1\npad-analogue-steering = on\n", TSettings{}, 3, 1},
        {"pad-dead-zone = 12.5\n", TSettings{}, 1, 1},
    };
    for (const auto& row : rows) {
        TSettings read;
        const TSettingsProblems problems = ParseSettings(row.Text, &read);
        EXPECT_TRUE(SameSettings(read, row.Want)) << row.Text;
        EXPECT_EQ(problems.BadLines, row.BadLines) << row.Text;
        EXPECT_EQ(problems.FirstBadLine, row.FirstBadLine) << row.Text;
    }
}

TEST(SettingsText, GarbledBytesGiveTheDefaultsAndAreCounted) {
    const std::string garbled("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\x02T=\x02<\x08\x02\0\0\0", 28);
    TSettings read;
    const TSettingsProblems problems = ParseSettings(garbled, &read);
    EXPECT_TRUE(SameSettings(read, TSettings{}));
    EXPECT_GE(problems.BadLines, 2);
    EXPECT_EQ(problems.FirstBadLine, 1);
    // A NUL inside an otherwise good line spoils that line.
    TSettings withNul;
    EXPECT_EQ(ParseSettings(std::string("fullscreen = yes\0x\n", 19), &withNul).BadLines, 1);
    EXPECT_FALSE(withNul.Fullscreen);
}

TEST(SettingsText, WhatIsWrittenReadsBackTheSame) {
    TSettings oneToOne;
    oneToOne.Scaling = TScaling::OneToOne;
    oneToOne.Presenting = TPresenting::EveryPass;
    TSettings everything = Placed(-3840, -5, 2384, 2288);
    everything.Fullscreen = true;
    everything.Scaling = TScaling::OneToOne;
    everything.RecordsView = true;
    everything.Pad = TPadSettings{.DeadZone = 35, .TriggerThreshold = 5, .AnalogueSteering = true};
    for (const TSettings& settings : {TSettings{}, oneToOne, Placed(0, 0, 1, 1), everything}) {
        const std::string text = SettingsText(settings);
        TSettings read;
        EXPECT_EQ(ParseSettings(text, &read).BadLines, 0) << text;
        EXPECT_TRUE(SameSettings(read, settings)) << text;
    }
    // Without a place the file names none.
    EXPECT_EQ(SettingsText(TSettings{}).find("window-"), std::string::npos);
}

// A folder of the test's own under the build's temporary directory, removed at the end.
class SettingsFile : public testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/tramolo-settings-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        Folder = pattern;
        Path = Folder + "/tramolo/settings.conf";
    }
    void TearDown() override { std::system(("rm -rf '" + Folder + "'").c_str()); }

    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    static void Write(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    // Runs load and returns what it wrote to standard error.
    template <typename TRun> static std::string Stderr(TRun run) {
        testing::internal::CaptureStderr();
        run();
        return testing::internal::GetCapturedStderr();
    }
    static int32_t Lines(const std::string& text) {
        int32_t lines = 0;
        for (char c : text)
            lines += c == '\n';
        return lines;
    }

    std::string Folder;
    std::string Path;
};

TEST_F(SettingsFile, EachFileThatCannotBeReadGivesTheDefaultsAndOneLine) {
    const struct {
        const char* Name;
        void (*Make)(const std::string& path);
        const char* Says;
    } rows[] = {
        {"missing", [](const std::string&) {}, "no settings yet"},
        {"a folder", [](const std::string& path) { mkdir(path.c_str(), 0777); }, "cannot read"},
        {"garbled",
         [](const std::string& path) {
             Write(path, std::string("\x89PNG\r\n\x1a\nfull=screen=\0\0\xff\n", 24));
         },
         "cannot be read"},
        {"too large", [](const std::string& path) { Write(path, std::string(200000, '#')); }, "too large"},
    };
    for (const auto& row : rows) {
        std::system(("rm -rf '" + Folder + "/tramolo'").c_str());
        ASSERT_EQ(mkdir((Folder + "/tramolo").c_str(), 0777), 0);
        row.Make(Path);
        TSettings loaded = Placed(1, 2, 3, 4);
        const std::string said = Stderr([&] { loaded = LoadSettingsFile(Path); });
        EXPECT_TRUE(SameSettings(loaded, TSettings{})) << row.Name;
        EXPECT_EQ(Lines(said), 1) << row.Name << ": " << said;
        EXPECT_NE(said.find(row.Says), std::string::npos) << row.Name << ": " << said;
        EXPECT_NE(said.find(Path), std::string::npos) << row.Name << ": " << said;
    }
}

TEST_F(SettingsFile, IsSavedWholeAndReadBackWithoutAWord) {
    TSettings settings = Placed(100, 80, 1192, 1144);
    settings.Fullscreen = true;
    // The folders are made as needed.
    EXPECT_EQ(Stderr([&] { EXPECT_TRUE(SaveSettingsFile(Path, settings)); }), "");
    EXPECT_EQ(Read(Path), SettingsText(settings));
    TSettings loaded;
    EXPECT_EQ(Stderr([&] { loaded = LoadSettingsFile(Path); }), "");
    EXPECT_TRUE(SameSettings(loaded, settings));
    // A part left behind by a game killed while it wrote is no obstacle, and is gone afterwards.
    Write(Path + ".part", "window-x = 1");
    settings.Scaling = TScaling::OneToOne;
    EXPECT_TRUE(SaveSettingsFile(Path, settings));
    EXPECT_EQ(Read(Path), SettingsText(settings));
    EXPECT_NE(access((Path + ".part").c_str(), F_OK), 0);
}

TEST_F(SettingsFile, AFolderThatCannotBeWrittenLeavesTheOldFileAndSaysSoOnce) {
    // In place of the settings folder a plain file: nothing can be made under it, whoever runs the test.
    Write(Folder + "/tramolo", "not a folder");
    std::string said = Stderr([&] { EXPECT_FALSE(SaveSettingsFile(Path, TSettings{})); });
    EXPECT_EQ(Lines(said), 1) << said;
    EXPECT_NE(said.find("cannot save"), std::string::npos) << said;
    // A file that cannot be replaced (its name is a folder with something in it) stays as it was.
    std::system(("rm -f '" + Folder + "/tramolo'").c_str());
    ASSERT_EQ(mkdir((Folder + "/tramolo").c_str(), 0777), 0);
    ASSERT_EQ(mkdir(Path.c_str(), 0777), 0);
    Write(Path + "/inside", "old");
    said = Stderr([&] { EXPECT_FALSE(SaveSettingsFile(Path, TSettings{})); });
    EXPECT_EQ(Lines(said), 1) << said;
    EXPECT_EQ(Read(Path + "/inside"), "old");
    EXPECT_NE(access((Path + ".part").c_str(), F_OK), 0);
}

TEST(SettingsPath, FollowsTheUsersSettingsFolder) {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    const std::string keptConfig = config != nullptr ? config : "";
    const std::string keptHome = home != nullptr ? home : "";
    setenv("XDG_CONFIG_HOME", "/elsewhere/config", 1);
    EXPECT_EQ(SettingsFilePath(), "/elsewhere/config/tramolo/settings.conf");
    // Only an absolute folder counts.
    setenv("XDG_CONFIG_HOME", "relative", 1);
    setenv("HOME", "/home/player", 1);
    EXPECT_EQ(SettingsFilePath(), "/home/player/.config/tramolo/settings.conf");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(SettingsFilePath(), "/home/player/.config/tramolo/settings.conf");
    unsetenv("HOME");
    EXPECT_EQ(SettingsFilePath(), "");
    TSettings loaded = Placed(1, 2, 3, 4);
    testing::internal::CaptureStderr();
    loaded = LoadSettingsFile("");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(SameSettings(loaded, TSettings{}));
    if (config != nullptr) setenv("XDG_CONFIG_HOME", keptConfig.c_str(), 1);
    if (home != nullptr) setenv("HOME", keptHome.c_str(), 1);
}

} // namespace
