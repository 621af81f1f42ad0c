// The records kept in a folder: the record of this track is read when keeping starts and written anew,
// whole, each time a lap beats it. Before a write the file is read again, so that a better lap another game
// kept meanwhile is never replaced by a worse one.
#include "replay/Keeper.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/Printable.h"
#include "platform/System.h"
#include "platform/WholeFile.h"
#include "replay/Recorder.h"
#include "shell/Shell.h"

namespace {

struct TKeeper {
    bool Active;
    std::string Folder;
    std::string Path;
    TKeeperSay Say;
    bool Blocked; // the record there cannot be read: it is left alone
    bool HasBest;
    uint32_t BestMs;
};
TKeeper Keeper;

void Tell(TKeeperNews news, const std::string& text) {
    if (Keeper.Say != nullptr) Keeper.Say(news, text.c_str());
}

std::string ProofTime(uint32_t ms) {
    char text[24];
    FormatProofTime(ms, text, sizeof text);
    return text;
}

std::string Shown(const std::string& path) {
    return PrintableText(path.c_str());
}

// The date of a record: now, or the time SOURCE_DATE_EPOCH gives.
std::string DateNow() {
    std::time_t now = std::time(nullptr);
    const char* fixed = std::getenv("SOURCE_DATE_EPOCH");
    if (fixed != nullptr && fixed[0] >= '0' && fixed[0] <= '9') {
        char* end = nullptr;
        errno = 0;
        const unsigned long long seconds = std::strtoull(fixed, &end, 10);
        if (errno == 0 && *end == '\0' && seconds < 253402300800ull) now = (std::time_t)seconds;
    }
    const std::tm* utc = std::gmtime(&now);
    char text[40] = "unknown";
    if (utc != nullptr) std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", utc);
    return text;
}

// The record of this track at the keeper's path; false, told in one line, when it cannot be read or names
// another track: it is then left alone for the rest of the game.
bool ReadKept(TRecordHead* head) {
    std::string error;
    if (ReadRecordHead(Keeper.Path.c_str(), head, &error) && head->Track == TrackDigest()) return true;
    Keeper.Blocked = true;
    Tell(TKeeperNews::LeftAlone, "the record " + Shown(Keeper.Path) + " cannot be read (" +
                                     (error.empty() ? std::string("it names another track") : error) +
                                     "); it is left as it is, and no record is kept in its place");
    return false;
}

// The record on disk, read again: whether it holds a lap at least as fast as ms (or cannot be read).
bool DiskHoldsBetter(uint32_t ms) {
    if (FileKindOf(Keeper.Path.c_str()) == TFileKind::Missing) return false;
    TRecordHead head;
    if (!ReadKept(&head)) return true;
    if (head.Ms > ms) return false;
    Keeper.HasBest = true;
    Keeper.BestMs = head.Ms;
    return true;
}

// The lap clock's hook: a lap that beats the kept record is written; the ghost follows the fastest lap.
bool KeepLap(const TLapDone& lap, void*) {
    const bool fasterThanGhost = GhostKind() == TGhostKind::None || lap.Ms < GhostLapMs();
    if (Keeper.Blocked || (Keeper.HasBest && lap.Ms >= Keeper.BestMs) || DiskHoldsBetter(lap.Ms))
        return fasterThanGhost;
    // The folder is made with the first record, so that a game that keeps none leaves nothing behind.
    std::string reason;
    if (!MakeRecordsFolder(Keeper.Folder, &reason) || !WriteRecordFile(Keeper.Path, lap, &reason)) {
        Tell(TKeeperNews::WriteFailed,
             "cannot keep lap " + std::to_string(lap.Lap) + " (" + ProofTime(lap.Ms) + ") in " +
                 Shown(Keeper.Path) + ": " + reason +
                 (Keeper.HasBest ? "; the record there is left as it was" : "; no record is kept"));
        return fasterThanGhost;
    }
    Keeper.HasBest = true;
    Keeper.BestMs = lap.Ms;
    Tell(TKeeperNews::Kept, "lap " + std::to_string(lap.Lap) + " in " + ProofTime(lap.Ms) +
                                " is the best of this track: " + Shown(Keeper.Path));
    return fasterThanGhost;
}

} // namespace

std::string UserRecordsFolder() {
    const std::string data = UserDataFolder();
    if (data.empty()) return "";
#ifdef _WIN32
    return data + "\\tramolo\\records";
#else
    return data + "/tramolo/records";
#endif
}

std::string RecordPathIn(const std::string& folder) {
#ifdef _WIN32
    const char* separator = "\\";
#else
    const char* separator = "/";
#endif
    return folder + separator + "best-" + TrackName(TrackDigest()) + "-v" + GameVersion() + ".txt";
}

bool MakeRecordsFolder(const std::string& folder, std::string* reason) {
    char why[256] = "";
    if (MakeFolderAndParent(folder, why, sizeof why)) return true;
    *reason = why;
    return false;
}

void StartKeepingRecords(const std::string& folder, TKeeperSay say) {
    Keeper = TKeeper{true, folder, RecordPathIn(folder), say, false, false, 0};
    SetLapHook(KeepLap, nullptr);
    if (FileKindOf(Keeper.Path.c_str()) == TFileKind::Missing) return;
    TRecordHead head;
    if (!ReadKept(&head)) return;
    Keeper.HasBest = true;
    Keeper.BestMs = head.Ms;
    if (GhostKind() != TGhostKind::Foreign)
        SetGhost(TGhostKind::Own, head.Ms, head.Ghost.data(), (int32_t)head.Ghost.size(), head.Stride);
}

void StopKeepingRecords() {
    if (Keeper.Active) SetLapHook(nullptr, nullptr);
    Keeper = TKeeper{};
}

bool KeptBestLap(uint32_t* ms) {
    *ms = Keeper.BestMs;
    return Keeper.HasBest;
}

TRecordHead RecordHeadOf(const TLapDone& lap) {
    TRecordHead head;
    head.Track = TrackDigest();
    head.Version = GameVersion();
    head.Date = DateNow();
    head.Lap = lap.Lap;
    head.Ms = lap.Ms;
    head.Ghost.assign(lap.Path->Poses.begin(), lap.Path->Poses.begin() + lap.Path->Count);
    head.Stride = lap.Path->Stride;
    return head;
}

bool WriteRecordFile(const std::string& path, const TLapDone& lap, std::string* reason) {
    char why[600] = "";
    std::FILE* file = CreatePartFile(path, why, sizeof why);
    if (file == nullptr) {
        *reason = why;
        return false;
    }
    bool good = WriteRecordHead(file, RecordHeadOf(lap));
    if (!good) std::snprintf(why, sizeof why, "%s", std::strerror(errno));
    good = good && RecorderCopySoFar(file, why, sizeof why);
    good = FinishPartFile(file, path, good, why, sizeof why);
    if (!good) *reason = why;
    return good;
}
