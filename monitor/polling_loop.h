// The polling loop: nominal voltages once, then the enabled sensors on
// every pass, each pass printed as a table.
#ifndef MONITOR_POLLING_LOOP_H
#define MONITOR_POLLING_LOOP_H

#include <stdint.h>

// Reads through the captured SYSMON0 service until done: one pass, or with
// IsMon on one pass a second until Esc.
void runMonitor(int32_t service);

#endif
