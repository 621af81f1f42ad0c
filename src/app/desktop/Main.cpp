// The game's process entry: --help and --version answered at once, otherwise the real window of the system,
// opened from the player's settings, which are written back whole when the game ends. The game is recorded
// into a scratch file so that a lap that beats the kept record is written with the recording that proves
// it; --ghost FILE races someone else's record, checked first by replaying it.
#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/Backend.h"
#include "platform/Printable.h"
#include "platform/Settings.h"
#include "platform/System.h"
#include "records/Records.h"
#include "replay/Keeper.h"
#include "replay/Proof.h"
#include "replay/Recorder.h"
#include "shell/Shell.h"

// The exit code of a game that could not open its window: it has nothing new to keep.
constexpr int32_t NoWindowExitCode = 1;

namespace {

// The record --ghost names, or null; the first one on the line counts, nothing after "--".
const char* GhostOption(int argc, char** argv) {
    for (int i = 1; i + 1 < argc && std::strcmp(argv[i], "--") != 0; i++) {
        if (std::strcmp(argv[i], "--ghost") == 0) return argv[i + 1];
    }
    return nullptr;
}

void Say(TKeeperNews news, const char* text) {
    // A record kept needs no word; what went wrong does.
    if (news != TKeeperNews::Kept) std::fprintf(stderr, "tramolo: %s\n", text);
}

// The game recorded for its records, into a scratch file: false (told) when records cannot be kept. The
// records folder is made when the first record is written.
bool PrepareRecords(const std::string& folder, std::FILE** scratch) {
    if (folder.empty()) {
        std::fprintf(stderr, "tramolo: no records are kept: the environment names no folder for them\n");
        return false;
    }
    char why[256] = "";
    if ((*scratch = OpenScratchFile("", why, sizeof why)) == nullptr) {
        std::fprintf(stderr, "tramolo: no records are kept: no scratch file for the game's recording: %s\n",
                     PrintableText(why).c_str());
        return false;
    }
    RecorderStart(nullptr, "the game's recording");
    RecorderReadBackFrom(*scratch);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    UseCallersConsole();
    const int32_t answered = AnswerInfoOption(argc, argv, stdout);
    if (answered >= 0) return answered;
    // Numbers in the head-up display use the decimal separator of the user's locale.
    std::setlocale(LC_NUMERIC, "");
    // The track's name, worked out before any game runs.
    TrackDigest();
    if (const char* ghost = GhostOption(argc, argv)) {
        const TProof proof = VerifyRecord(ghost);
        if (proof.Verdict != ProofTrue) {
            std::fprintf(stderr, "tramolo: --ghost: %s\n", proof.Line.c_str());
            return proof.Verdict;
        }
        SetGhost(TGhostKind::Foreign, proof.Head.Ms, proof.Head.Ghost.data(),
                 (int32_t)proof.Head.Ghost.size(), proof.Head.Stride);
    }
    const std::string settingsPath = SettingsFilePath();
    TSettings settings = LoadSettingsFile(settingsPath);
    TakeDisplayOptions(argc, argv, &settings);
    // A ghost asked for is a ghost to see.
    SetRecordsView(settings.RecordsView || GhostKind() == TGhostKind::Foreign);

    const std::string folder = UserRecordsFolder();
    std::FILE* scratch = nullptr;
    const bool keeping = PrepareRecords(folder, &scratch);
    if (!SelectPlatform(keeping ? RecordingBackend(WindowBackend()) : WindowBackend())) return 1;
    if (keeping) StartKeepingRecords(folder, Say);
    UseWindowSettings(&settings);
    const int32_t exitCode = ProgramMain();
    UseWindowSettings(nullptr);
    if (keeping) {
        char error[256];
        StopKeepingRecords();
        RecorderFinish(0, exitCode, error, sizeof error);
        std::fclose(scratch);
    }
    settings.RecordsView = RecordsViewOn();
    if (exitCode != NoWindowExitCode) SaveSettingsFile(settingsPath, settings);
    return exitCode;
}
