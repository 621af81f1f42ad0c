// The pace of a watched script, as the desktop window and the page both keep it.
#include <gtest/gtest.h>

#include "replay/Pacer.h"

namespace {

constexpr int64_t Ms = PacerNsPerMs;

TEST(Pacer, EachPassIsDueAsFarAfterTheLastAsItsTickIsAhead) {
    // Pass by pass: the tick it reads, the host's clock then, and when it is due.
    const struct {
        uint32_t Tick;
        int64_t Now;
        int64_t Due;
    } passes[] = {
        {1000, 5 * Ms, 5 * Ms},            // the first pass: at once
        {1010, 6 * Ms, 15 * Ms},           // 10 ms ahead of the first
        {1030, 14 * Ms, 35 * Ms},          // the host early: the due time is the script's
        {1020, 40 * Ms, 35 * Ms},          // a tick that goes back costs no time
        {1025, 41 * Ms, 40 * Ms},          // counted from the tick before, not from the highest
        {1030, 500 * Ms, 400 * Ms},        // far behind: it starts again 100 ms back from now
        {0xFFFFFFFBu, 501 * Ms, 401 * Ms}, // a jump back costs nothing; the lag bound moves on
        {4, 502 * Ms, 410 * Ms},           // across the clock's wrap: 9 ms ahead
    };
    TPacer pacer{};
    for (const auto& pass : passes)
        EXPECT_EQ(PacerDue(&pacer, pass.Tick, pass.Now), pass.Due) << pass.Tick;
    PacerRestart(&pacer);
    EXPECT_EQ(PacerDue(&pacer, 77, 900 * Ms), 900 * Ms) << "after a restart the next pass is due at once";
}

} // namespace
