// The player's settings kept between games: the window's size and place, fullscreen, how the picture is
// scaled and how often it is shown, and the records view. One small text file of "key = value" lines in the
// user's settings folder, read when the game starts and written whole when it ends. The game itself reads
// none of it: only the window backends do, so it lives on the platform's floor beside them; the folder comes
// from System.h. A new setting is one member of TSettings and one row of the key table in Settings.cpp.
#pragma once

#include <cstdint>
#include <string>

// How the drawing area fills the client area: sharp (the largest whole multiple with nearest pixels, the rest
// of the way linear, centred) or the design's own picture, one to one at the top left.
enum class TScaling : uint8_t { Sharp, OneToOne };
// How often a desktop window shows the newest frame: at most once per refresh of its display, or after
// every pass as the design has it.
enum class TPresenting : uint8_t { DisplayRate, EveryPass };

// How a gamepad drives (Gamepad.h): the stick's dead zone and the triggers' threshold in percent of their
// travel (0 to 90), and whether the stick steers as the mouse does instead of holding the arrow keys.
struct TPadSettings {
    int32_t DeadZone = 20;
    int32_t TriggerThreshold = 20;
    bool AnalogueSteering = false;
};

struct TSettings {
    // The windowed client area's top-left on the desktop and its size, in the system's pixels; only with
    // HasPlace, which a file sets when it gives all four.
    bool HasPlace = false;
    int32_t WindowX = 0;
    int32_t WindowY = 0;
    int32_t WindowWidth = 0;
    int32_t WindowHeight = 0;
    bool Fullscreen = false;
    TPadSettings Pad;
    TScaling Scaling = TScaling::Sharp;
    TPresenting Presenting = TPresenting::DisplayRate;
    // The records view (F7): lap times and the ghost; off by default, so the design's display stays as it is.
    bool RecordsView = false;
};

// What reading a settings text found wrong: lines that are not "key = value" or whose value a known key
// cannot take (those keys keep their defaults). Unknown keys are not counted: a later game's file works.
struct TSettingsProblems {
    int32_t BadLines = 0;
    int32_t FirstBadLine = 0; // 1-based
};

// Reads the lines of text over settings, which keeps what no good line sets.
TSettingsProblems ParseSettings(const std::string& text, TSettings* settings);
// The whole file's text for settings, which ParseSettings reads back to the same values.
std::string SettingsText(const TSettings& settings);

// The settings file's path: tramolo/settings.conf in the user's settings folder (System.h), empty when the
// environment names no such folder.
std::string SettingsFilePath();
// The settings of path; a missing, unreadable or garbled file gives the defaults for what it lacks and one
// line on standard error saying so. An empty path gives the defaults silently.
TSettings LoadSettingsFile(const std::string& path);
// Writes settings whole to path through a part file renamed onto it, making the folders it needs; a
// failure leaves the old file as it was and says so in one line on standard error. False then.
bool SaveSettingsFile(const std::string& path, const TSettings& settings);

// The settings the window backends open their window from and keep up to date (size, place, fullscreen)
// while it is open; null, as for the runner and the tests, opens the window from the defaults and keeps
// nothing.
void UseWindowSettings(TSettings* settings);
TSettings* WindowSettings();
