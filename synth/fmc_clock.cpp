#include "fmc_clock.h"

void setupFmcClock(int32_t device) {
    (void)device; // the switch routing is not programmed yet
}
