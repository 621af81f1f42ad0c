// Fuzz target for a record's own lines, read line by line as the game, the runner and the page read them:
// any bytes are either refused with a message naming a line, or give a head whose every number is in range
// and whose ghost holds as many finite poses as it says.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "records/Records.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TRecordReader reader;
    RecordReaderStart(&reader);
    const char* text = (const char*)data;
    size_t start = 0;
    bool good = true;
    for (size_t i = 0; i <= size && good && !reader.Done; i++) {
        if (i < size && text[i] != '\n') continue;
        good = RecordReaderLine(&reader, text + start, i - start);
        start = i + 1;
    }
    if (!good) {
        if (std::strncmp(reader.Error.c_str(), "line ", 5) != 0) std::abort();
        return 0;
    }
    if (!reader.Done) return 0;
    const TRecordHead& head = reader.Head;
    if (head.Lap < 1 || head.Ghost.empty() || head.Ghost.size() > (size_t)MostPathPoses) std::abort();
    if (head.Stride == 0 || (head.Stride & (head.Stride - 1)) != 0) std::abort();
    if (head.Version.empty() || head.Date.empty()) std::abort();
    for (const TGhostPose& pose : head.Ghost) {
        for (float v : {pose.X, pose.Y, pose.Z, pose.AngleX, pose.AngleY, pose.AngleZ})
            if (!std::isfinite(v)) std::abort();
    }
    return 0;
}
