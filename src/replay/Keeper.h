// Keeping the best lap of this track between games: one record file a track and version in a folder of
// records, written whole (a part file renamed onto it) whenever a lap beats it, with the recording of the
// race up to that lap's end, which the recorder reads back. The game, the runner (--records) and the page
// keep records the same way.
#pragma once

#include <cstdint>
#include <string>

#include "records/Records.h"

// Told what happened, in one line without the program's name: a record kept, a record that cannot be read
// and is left alone, or a lap that could not be kept (the write failed).
enum class TKeeperNews { Kept, LeftAlone, WriteFailed };
using TKeeperSay = void (*)(TKeeperNews news, const char* text);

// The records folder of the user: tramolo/records in the user's data folder (System.h); empty when the
// environment names none.
std::string UserRecordsFolder();
// The record file of this track and version in folder.
std::string RecordPathIn(const std::string& folder);
// Makes folder and the folder above it when they are missing; false with the reason. Keeping records makes
// the folder with the first record it writes.
bool MakeRecordsFolder(const std::string& folder, std::string* reason);

// Starts keeping records in folder (made when the first record is written) through the lap clock's hook: its
// record, if any, becomes the own ghost unless someone else's is raced. A record there that cannot be read is
// told and left as it is, and this game keeps none. The game must be recorded with a read-back stream
// (RecorderReadBackFrom).
void StartKeepingRecords(const std::string& folder, TKeeperSay say);
void StopKeepingRecords();
// The best lap kept on disk now: false when there is none.
bool KeptBestLap(uint32_t* ms);

// What a record of lap says about itself, dated now (or at SOURCE_DATE_EPOCH when that is set, as for
// builds that must come out the same).
TRecordHead RecordHeadOf(const TLapDone& lap);
// Writes a record of lap to path whole: its head, then the recording so far; false with the reason, the
// file at path as it was.
bool WriteRecordFile(const std::string& path, const TLapDone& lap, std::string* reason);
