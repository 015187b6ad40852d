// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// A model of one service of a simulated board: what its control codes do.
// One model lives per service of a board from KEL_init to KEL_cleanup, so
// its state outlasts captures and device opens, as on hardware.
//
// Adding a simulated service:
//  1. write simboard/model_<service>.cpp (it is built as it appears): a
//     ServiceModel that reads its own keys with the helpers of
//     setting_values.h, and a function that makes one;
//  2. add its row, with the function's declaration, to kServiceModels in
//     service_models.cpp;
//  3. document its keys in its service section of examples/kel_sgen.ini.
// Status injection and unwritten records (`ctrl 0x<code>`, `writes
// 0x<code>`) work on every model without a line of its own; a model names
// such a fault with a key of its own through the ServiceFaults it is given.
#ifndef SIMBOARD_SERVICE_MODEL_H
#define SIMBOARD_SERVICE_MODEL_H

#include <stddef.h>
#include <stdint.h>

#include <memory>
#include <string>

#include "service_faults.h"

namespace sim {

class ServiceModel {
public:
    virtual ~ServiceModel() = default;

    // Takes a model setting from the service's configuration section.
    // Returns false for a key the model does not know; sets *error (and
    // returns true) for a known key with a bad value.
    virtual bool configure(const std::string &key, const std::string &value, ServiceFaults *faults,
                           std::string *error) = 0;

    // Size in bytes of the record a control code takes; 0 when the code
    // takes none or is unknown. Used to check arguments and for the trace.
    virtual size_t recordSize(uint32_t code) const = 0;

    // Carries out a control code on a record of recordSize(code) bytes
    // (null when that size is 0). grantedMode is the caller's capture mode.
    virtual int32_t control(uint32_t code, void *record, uint32_t grantedMode) = 0;
};

// The model for a service name; services without a model of their own get
// one that refuses every control code.
std::unique_ptr<ServiceModel> makeServiceModel(const std::string &serviceName);

// The error text of a model key whose value cannot be read.
std::string badValueError(const std::string &key, const std::string &value);

} // namespace sim

#endif
