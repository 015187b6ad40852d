#include "program_values.h"

MonitorFlags g_flags = {};
int32_t g_chosenLid = MONITOR_NO_BOARD;
int32_t g_device = 0;
int32_t g_sysmonService = 0;
ReadingSet g_readings = {};
