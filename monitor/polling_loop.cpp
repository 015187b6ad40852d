#include "polling_loop.h"

void runMonitor(int32_t) {}
