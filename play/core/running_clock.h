#pragma once
// The running ("presumptive") clock of a seat to move: what its clock reads
// now, between the moves that store it.
#include <cstdint>

// clock - (now - turnStart) + lagCredit, all in milliseconds; negative once
// the time is used up.
int32_t RunningClock(int32_t clock, int64_t now, int64_t turnStart, int32_t lagCredit);
