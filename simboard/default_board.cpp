// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "sim_config.h"

namespace sim {

// One board with a synthesizer, its clock switch and a system monitor, so
// that both programs run out of the box.
const char *const kDefaultConfiguration = R"(
[board 1]
name = SIM-DDS3U
device_id = 0x5321
revision_id = 0x02
pid = 1170042
bus = 4
device_number = 0
slot = 2

[board 1 unit 0]
id = 0x100
code = 0x11
attributes = 0x0
description = Base FPGA
loaded = yes

[board 1 unit 1]
id = 0x101
code = 0x12
attributes = 0x2
description = Submodule FPGA
loaded = no

[board 1 service 0]
name = BASEFMC0
attributes = 0x1

[board 1 service 1]
name = BASEDDS0
attributes = 0x3

[board 1 service 2]
name = SYSMON0
attributes = 0x1
)";

} // namespace sim
