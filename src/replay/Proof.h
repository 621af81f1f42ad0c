// The proof of a record: its recording replayed on the headless game, every lap the replay counts timed
// by the same lap clock, and the record's lap (its number, time and ghost) compared with the replay's last
// one. The runner's --verify, the game's --ghost and the page all ask this; the file is only read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "records/Records.h"

struct TProofLap {
    int32_t Lap;
    uint32_t Ms;
};

constexpr int ProofTrue = 0;       // the record's lap is what the replay gives
constexpr int ProofFalse = 1;      // it is not: a changed time, a recording cut short, another track
constexpr int ProofUnreadable = 2; // the file cannot be read as a record

struct TProof {
    int Verdict;
    std::string Line;            // one line saying which, without the program's name
    TRecordHead Head;            // what the record says, once its head was read
    std::vector<TProofLap> Laps; // every lap the replay counted, in order
};

// Reads and replays the record at path. Runs a game of its own: call it while no game runs; it leaves the
// game's state cleared, and the ghost, the lap hook and the records view as they were.
TProof VerifyRecord(const char* path);

// The same for a record the caller streams itself (the page): the head read from the text before the
// recording, the script then played by the caller on the headless game with ProofCollect as the lap hook
// (context: the TProofReplay), and the verdict judged at its end.
struct TProofReplay {
    TProof Proof;
    std::vector<TGhostPose> Path; // the last lap's path as the replay drove it
    uint32_t Stride = 1;
};
bool ProofCollect(const TLapDone& lap, void* replay);
// The verdict of a replay whose record's head was read: the track, the last lap and its ghost compared.
void ProofJudge(TProofReplay* replay, const char* name);
