// The settings file: a table of keys, each with how its value is read and written, a parser that takes one
// line at a time, and a writer that puts the whole text in place at once through a part file.
#include "platform/Settings.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/Printable.h"
#include "platform/System.h"
#include "platform/WholeFile.h"

// Far beyond any screen, still far from overflowing a sum of two.
constexpr int32_t FarthestPlace = 1000000;
constexpr int32_t LargestSide = 100000;
// A settings file is a few hundred bytes; anything much larger is not one.
constexpr long LargestFile = 64 * 1024;

static bool ReadWhole(const std::string& value, int32_t lowest, int32_t highest, int32_t* to) {
    if (value.empty() || value.size() > 12) return false;
    char* end = nullptr;
    errno = 0;
    const long long number = std::strtoll(value.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || number < lowest || number > highest) return false;
    *to = (int32_t)number;
    return true;
}

static bool ReadPlace(const std::string& value, int32_t* to) {
    return ReadWhole(value, -FarthestPlace, FarthestPlace, to);
}

static bool ReadSide(const std::string& value, int32_t* to) {
    return ReadWhole(value, 1, LargestSide, to);
}

// A gamepad's dead zone or threshold: percent of the travel, up to 90 so that some travel is left.
static bool ReadPercent(const std::string& value, int32_t* to) {
    return ReadWhole(value, 0, 90, to);
}

// The window's place counts only when all four of its keys were read.
static bool IsPlaceKey(const char* name) {
    return std::strncmp(name, "window-", 7) == 0;
}

// value is one of two words: first gives false, second true.
static bool ReadChoice(const std::string& value, const char* first, const char* second, bool* to) {
    if (value == first || value == second) {
        *to = value == second;
        return true;
    }
    return false;
}

struct TSettingKey {
    const char* Name;
    bool (*Read)(const std::string& value, TSettings* settings);
    std::string (*Write)(const TSettings& settings);
};

// One row a setting, in the order the file lists them.
static const TSettingKey SettingKeys[] = {
    {"window-x", [](const std::string& v, TSettings* s) { return ReadPlace(v, &s->WindowX); },
     [](const TSettings& s) { return std::to_string(s.WindowX); }},
    {"window-y", [](const std::string& v, TSettings* s) { return ReadPlace(v, &s->WindowY); },
     [](const TSettings& s) { return std::to_string(s.WindowY); }},
    {"window-width", [](const std::string& v, TSettings* s) { return ReadSide(v, &s->WindowWidth); },
     [](const TSettings& s) { return std::to_string(s.WindowWidth); }},
    {"window-height", [](const std::string& v, TSettings* s) { return ReadSide(v, &s->WindowHeight); },
     [](const TSettings& s) { return std::to_string(s.WindowHeight); }},
    {"fullscreen",
     [](const std::string& v, TSettings* s) { return ReadChoice(v, "no", "yes", &s->Fullscreen); },
     [](const TSettings& s) { return std::string(s.Fullscreen ? "yes" : "no"); }},
    {"pad-dead-zone", [](const std::string& v, TSettings* s) { return ReadPercent(v, &s->Pad.DeadZone); },
     [](const TSettings& s) { return std::to_string(s.Pad.DeadZone); }},
    {"pad-trigger-threshold",
     [](const std::string& v, TSettings* s) { return ReadPercent(v, &s->Pad.TriggerThreshold); },
     [](const TSettings& s) { return std::to_string(s.Pad.TriggerThreshold); }},
    {"pad-analogue-steering",
     [](const std::string& v, TSettings* s) { return ReadChoice(v, "no", "yes", &s->Pad.AnalogueSteering); },
     [](const TSettings& s) { return std::string(s.Pad.AnalogueSteering ? "yes" : "no"); }},
    {"scaling",
     [](const std::string& v, TSettings* s) {
         bool oneToOne = false;
         if (!ReadChoice(v, "sharp", "one-to-one", &oneToOne)) return false;
         s->Scaling = oneToOne ? TScaling::OneToOne : TScaling::Sharp;
         return true;
     },
     [](const TSettings& s) {
         return std::string(s.Scaling == TScaling::OneToOne ? "one-to-one" : "sharp");
     }},
    {"presenting",
     [](const std::string& v, TSettings* s) {
         bool everyPass = false;
         if (!ReadChoice(v, "display-rate", "every-pass", &everyPass)) return false;
         s->Presenting = everyPass ? TPresenting::EveryPass : TPresenting::DisplayRate;
         return true;
     },
     [](const TSettings& s) {
         return std::string(s.Presenting == TPresenting::EveryPass ? "every-pass" : "display-rate");
     }},
    {"records-view",
     [](const std::string& v, TSettings* s) { return ReadChoice(v, "off", "on", &s->RecordsView); },
     [](const TSettings& s) { return std::string(s.RecordsView ? "on" : "off"); }},
};

static std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    const size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// False for a line that is neither blank, a comment, an unknown key nor a known key with a good value;
// placeKeys counts the window's place keys read.
static bool ParseLine(const std::string& raw, TSettings* settings, int32_t* placeKeys) {
    const std::string line = Trimmed(raw);
    if (line.empty() || line[0] == '#') return true;
    const size_t equals = line.find('=');
    if (equals == std::string::npos) return false;
    const std::string key = Trimmed(line.substr(0, equals));
    const std::string value = Trimmed(line.substr(equals + 1));
    if (key.empty() || key.find_first_of(" \t") != std::string::npos) return false;
    for (const TSettingKey& known : SettingKeys) {
        if (key != known.Name) continue;
        if (!known.Read(value, settings)) return false;
        if (IsPlaceKey(known.Name)) (*placeKeys)++;
        return true;
    }
    return true;
}

TSettingsProblems ParseSettings(const std::string& text, TSettings* settings) {
    TSettingsProblems problems;
    int32_t placeKeys = 0;
    TSettings read = *settings;
    size_t start = 0;
    for (int32_t number = 1; start < text.size(); number++) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        // A NUL byte makes no line of a text file.
        if (line.find('\0') != std::string::npos || !ParseLine(line, &read, &placeKeys)) {
            if (problems.BadLines++ == 0) problems.FirstBadLine = number;
        }
        start = end + 1;
    }
    read.HasPlace = settings->HasPlace || placeKeys == 4;
    if (placeKeys != 4) {
        read.WindowX = settings->WindowX;
        read.WindowY = settings->WindowY;
        read.WindowWidth = settings->WindowWidth;
        read.WindowHeight = settings->WindowHeight;
    }
    *settings = read;
    return problems;
}

std::string SettingsText(const TSettings& settings) {
    std::string text =
        "# tramolo's settings, written when the game ends. Unknown keys are ignored; a bad value\n"
        "# gives that key's default.\n";
    for (const TSettingKey& key : SettingKeys) {
        if (IsPlaceKey(key.Name) && !settings.HasPlace) continue;
        text += std::string(key.Name) + " = " + key.Write(settings) + "\n";
    }
    return text;
}

std::string SettingsFilePath() {
    const std::string folder = UserConfigFolder();
    if (folder.empty()) return "";
#ifdef _WIN32
    return folder + "\\tramolo\\settings.conf";
#else
    return folder + "/tramolo/settings.conf";
#endif
}

static void Complain(const std::string& path, const char* what) {
    std::fprintf(stderr, "tramolo: %s %s; the window opens with the default settings\n", what,
                 PrintableText(path.c_str()).c_str());
}

TSettings LoadSettingsFile(const std::string& path) {
    TSettings settings;
    if (path.empty()) return settings;
    if (FileKindOf(path.c_str()) == TFileKind::Missing) {
        Complain(path, "no settings yet in");
        return settings;
    }
    std::FILE* file = OpenFileToRead(path.c_str());
    if (file == nullptr) {
        Complain(path, "cannot read");
        return settings;
    }
    std::string text;
    char block[4096];
    size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0 && (long)text.size() <= LargestFile)
        text.append(block, got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed || (long)text.size() > LargestFile) {
        Complain(path, failed ? "cannot read" : "too large a file for settings:");
        return settings;
    }
    const TSettingsProblems problems = ParseSettings(text, &settings);
    if (problems.BadLines > 0) {
        std::fprintf(stderr,
                     "tramolo: %d line%s of %s cannot be read (the first: line %d); their settings keep "
                     "their defaults\n",
                     problems.BadLines, problems.BadLines == 1 ? "" : "s",
                     PrintableText(path.c_str()).c_str(), problems.FirstBadLine);
    }
    return settings;
}

bool SaveSettingsFile(const std::string& path, const TSettings& settings) {
    if (path.empty()) return true;
    char reason[256] = "";
    const std::string text = SettingsText(settings);
    bool written = false;
    const size_t last = path.find_last_of("/\\");
    if (last == std::string::npos || last == 0 ||
        MakeFolderAndParent(path.substr(0, last), reason, sizeof reason)) {
        if (std::FILE* file = CreatePartFile(path, reason, sizeof reason)) {
            const bool whole = std::fwrite(text.data(), 1, text.size(), file) == text.size();
            if (!whole) std::snprintf(reason, sizeof reason, "the write failed");
            written = FinishPartFile(file, path, whole, reason, sizeof reason);
        }
    }
    if (!written)
        std::fprintf(stderr, "tramolo: cannot save the settings in %s: %s\n",
                     PrintableText(path.c_str()).c_str(), PrintableText(reason).c_str());
    return written;
}

static TSettings* ActiveWindowSettings;

void UseWindowSettings(TSettings* settings) {
    ActiveWindowSettings = settings;
}

TSettings* WindowSettings() {
    return ActiveWindowSettings;
}
