// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Faults of a service's control codes, the same for every service model:
// the status a code returns, and which calls of a code write its record.
// They are set in the service's configuration section (`ctrl 0x<code>`,
// `writes 0x<code>`) or by a model for keys of its own.
#ifndef SIMBOARD_SERVICE_FAULTS_H
#define SIMBOARD_SERVICE_FAULTS_H

#include <stdint.h>

#include <map>
#include <string>

namespace sim {

class ServiceModel;

// Which calls of a control code write their record back to the caller: all,
// the first only, or none (the call still succeeds and the model still
// counts it, as a board that reads and forgets to write back).
enum class RecordWrites { always, first, never };

bool readRecordWrites(const std::string &text, RecordWrites *writes);

struct ServiceFaults {
    std::map<uint32_t, int32_t> controlStatus;     // code -> status it returns
    std::map<uint32_t, RecordWrites> recordWrites; // code -> which calls write
};

// Model calls per control code since KEL_init, for RecordWrites::first.
typedef std::map<uint32_t, unsigned long long> ControlCalls;

// Carries out a control code on the model with the faults applied: an
// injected failure returns before the model runs and leaves it as it was;
// an injected status that the mask calls success lets the model run and is
// returned instead of its status; a record that is not to be written is
// given to the model as a copy, which is then dropped.
int32_t controlWithFaults(ServiceModel *model, const ServiceFaults &faults, ControlCalls *calls,
                          uint32_t code, void *record, uint32_t grantedMode);

} // namespace sim

#endif
