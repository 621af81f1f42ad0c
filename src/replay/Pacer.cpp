// The pace of a watched script.
#include "replay/Pacer.h"

void PacerRestart(TPacer* pacer) {
    *pacer = TPacer{};
}

int64_t PacerDue(TPacer* pacer, uint32_t tick, int64_t nowNs) {
    if (!pacer->Started) {
        pacer->Started = true;
        pacer->Tick = tick;
        pacer->DueNs = nowNs;
        return pacer->DueNs;
    }
    const int32_t step = (int32_t)(tick - pacer->Tick);
    pacer->Tick = tick;
    if (step > 0) pacer->DueNs += (int64_t)step * PacerNsPerMs;
    if (pacer->DueNs < nowNs - PacerMostLagNs) pacer->DueNs = nowNs - PacerMostLagNs;
    return pacer->DueNs;
}
