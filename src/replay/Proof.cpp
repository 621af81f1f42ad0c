// Verifying a record: its head read and checked, its recording read once whole (every line checked, in
// pass order, with ticks), then replayed as a stream on the headless game to its last pass, and the
// record's lap compared with the last lap the replay counted, to the millisecond and to the bit of every
// ghost pose.
#include "replay/Proof.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/Backend.h"
#include "platform/headless/HeadlessPlatform.h"
#include "platform/Platform.h"
#include "platform/Printable.h"
#include "platform/System.h"
#include "replay/Feed.h"
#include "replay/Script.h"
#include "shell/Shell.h"
#include "world/DatenStruktur.h"

namespace {

constexpr size_t PieceBytes = 64u << 10;

// The record's file read as a script, a piece at a time.
struct TRecordStream {
    std::FILE* File;
    bool Failed;
    char Piece[PieceBytes];
};

bool Refill(TScriptReader* reader, void* context) {
    TRecordStream* stream = (TRecordStream*)context;
    const size_t got = std::fread(stream->Piece, 1, sizeof stream->Piece, stream->File);
    if (got > 0) ScriptReaderPush(reader, stream->Piece, got);
    if (got < sizeof stream->Piece) {
        if (std::ferror(stream->File) != 0) {
            stream->Failed = true;
            return false;
        }
        if (got == 0) ScriptReaderEndInput(reader);
    }
    return true;
}

std::string ProofTime(uint32_t ms) {
    char text[24];
    FormatProofTime(ms, text, sizeof text);
    return text;
}

void FeedHook(uint64_t pass, void* context) {
    FeedScriptPass((TScriptFeed*)context, pass);
}

bool SamePath(const std::vector<TGhostPose>& a, const std::vector<TGhostPose>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof a[0]) == 0);
}

} // namespace

bool ProofCollect(const TLapDone& lap, void* context) {
    TProofReplay* replay = (TProofReplay*)context;
    replay->Proof.Laps.push_back(TProofLap{lap.Lap, lap.Ms});
    replay->Path.assign(lap.Path->Poses.begin(), lap.Path->Poses.begin() + lap.Path->Count);
    replay->Stride = lap.Path->Stride;
    return false;
}

void ProofJudge(TProofReplay* replay, const char* name) {
    TProof* proof = &replay->Proof;
    const TRecordHead& head = proof->Head;
    const std::string claim = "lap " + std::to_string(head.Lap) + " in " + ProofTime(head.Ms);
    const std::string shown = PrintableText(name);
    if (head.Track != TrackDigest()) {
        proof->Verdict = ProofFalse;
        proof->Line = shown + " is false for this game: it is a record of another track (" +
                      TrackName(head.Track) + ", this game's is " + TrackName(TrackDigest()) + ")";
        return;
    }
    if (proof->Laps.empty()) {
        proof->Verdict = ProofFalse;
        proof->Line = shown + " is false: its replay counts no lap, where the record claims " + claim +
                      " (the recording is cut short or changed)";
        return;
    }
    const TProofLap& last = proof->Laps.back();
    if (last.Lap != head.Lap || last.Ms != head.Ms) {
        proof->Verdict = ProofFalse;
        proof->Line = shown + " is false: its replay's last lap is lap " + std::to_string(last.Lap) + " in " +
                      ProofTime(last.Ms) + ", where the record claims " + claim;
        return;
    }
    if (!SamePath(replay->Path, head.Ghost) || replay->Stride != head.Stride) {
        proof->Verdict = ProofFalse;
        proof->Line = shown + " is false: its ghost does not drive the path of the replay's lap " +
                      std::to_string(head.Lap);
        return;
    }
    proof->Verdict = ProofTrue;
    proof->Line = shown + " is true: " + claim + " is what its replay gives";
}

TProof VerifyRecord(const char* path) {
    TProofReplay replay;
    TProof& proof = replay.Proof;
    const std::string shown = PrintableText(path);
    proof.Verdict = ProofUnreadable;
    if (FileKindOf(path) != TFileKind::Regular) {
        proof.Line = shown + " cannot be read: it is no file";
        return proof;
    }
    std::string error;
    if (!ReadRecordHead(path, &proof.Head, &error)) {
        proof.Line = shown + " cannot be read as a record: " + error;
        return proof;
    }

    // The recording: every line checked before anything runs.
    auto stream = std::make_unique<TRecordStream>();
    stream->File = OpenFileToRead(path);
    if (stream->File == nullptr) {
        proof.Line = shown + " cannot be read: it cannot be opened";
        return proof;
    }
    TScriptReader reader;
    ScriptReaderStart(&reader);
    TScriptSurvey survey{true, 0, false, 0};
    TScriptRead read;
    while ((read = SurveyScript(&reader, &survey)) == TScriptRead::NeedsBytes &&
           Refill(&reader, stream.get())) {
    }
    if (read != TScriptRead::Ended || !survey.Sorted || !survey.HasTicks) {
        std::fclose(stream->File);
        proof.Line = shown + " cannot be read: its recording " +
                     (read == TScriptRead::Fault   ? "has a bad " + reader.Fault
                      : read != TScriptRead::Ended ? std::string("cannot be read to its end")
                      : !survey.Sorted             ? std::string("does not stand in pass order")
                                                   : std::string("holds no tick: it is no recording"));
        return proof;
    }
    if (proof.Head.Track != TrackDigest()) {
        std::fclose(stream->File);
        ProofJudge(&replay, path);
        return proof;
    }

    // The replay, on a game of its own; what the caller had comes back afterwards.
    std::rewind(stream->File);
    ScriptReaderStart(&reader);
    TScriptFeed feed;
    StartStreamFeed(&feed, &reader, Refill, stream.get());
    const TPlatformBackend* before = SelectedPlatform();
    const bool view = RecordsViewOn();
    SetRecordsView(false);
    ClearGameState();
    ResetPlatformState();
    HeadlessConfigure(100000, THeadlessPassMs{10, 0}, 0, survey.LastPass > 0 ? survey.LastPass : 1);
    FeedScriptPass(&feed, 0);
    HeadlessSetHooks(FeedHook, nullptr, &feed);
    SetLapHook(ProofCollect, &replay);
    SelectPlatform(HeadlessBackend());
    ProgramMain();
    SetLapHook(nullptr, nullptr);
    HeadlessSetHooks(nullptr, nullptr, nullptr);
    SelectPlatform(before);
    SetRecordsView(view);
    ClearGameState();
    ResetPlatformState();
    const bool failed = stream->Failed || !feed.Failure.empty();
    std::fclose(stream->File);
    if (failed) {
        proof.Verdict = ProofUnreadable;
        proof.Line = shown + " cannot be read: " +
                     (feed.Failure.empty() ? std::string("reading it failed") : feed.Failure);
        return proof;
    }
    ProofJudge(&replay, path);
    return proof;
}
