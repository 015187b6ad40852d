// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "fmc_clock.h"

#include <stdio.h>

#include "kel_api.h"
#include "kel_basefmc.h"
#include "kel_status.h"
#include "program_values.h"
#include "status_report.h"

namespace {

// The switch output that feeds the synthesizer's reference, and the one
// that drives the board's clock-out connector.
const int32_t kDdsReferenceOutput = 7;
const int32_t kClockOutOutput = 4;

// Clock-out inputs: above the threshold the clock-out takes input 2,
// at or below it input 3.
const double kClockOutThreshold = 50000000.0;
const int32_t kClockOutInputHigh = 2;
const int32_t kClockOutInputLow = 3;

const int32_t kSwitchOn = 1;

void printFmcCaptureMode(uint32_t mode, int32_t service) {
    const unsigned int handle = static_cast<unsigned int>(service);
    if (mode == KEL_MODE_EXCLUSIVE) {
        printf("BASEFMC Capture mode: EXCLUSIVE (%X)\n", handle);
    } else if (mode == KEL_MODE_SHARED) {
        printf("BASEFMC Capture mode: SHARED (%X)\n", handle);
    } else if (mode == KEL_MODE_SPY) {
        printf("BASEFMC Capture mode: SPY (%X)\n", handle);
    }
}

// Reads back what the switch routes to route->output and prints it.
void readBackRoute(int32_t service, SwitchRoute *route, const char *outputLabel) {
    if (!KEL_FAILED(
            sendControl(service, KELctrl_BASEF_GETSWITCH, "KELctrl_BASEF_GETSWITCH", route))) {
        printf("Switch input %d ---> Switch output %d (%s)\n", static_cast<int>(route->input),
               static_cast<int>(route->output), outputLabel);
    }
}

} // namespace

void setupFmcClock(int32_t device) {
    uint32_t mode = KEL_MODE_SHARED;
    const int32_t service =
        KEL_capture(device, 0, &mode, KEL_SERVICE_BASEFMC, KEL_CAPTURE_TIMEOUT_MS);
    if (service <= 0) {
        printf("BASEFMC0 NOT capture (%X)\n", static_cast<unsigned int>(service));
        return;
    }
    printFmcCaptureMode(mode, service);

    // One route record serves every switch step: each step sets the fields
    // it names and keeps what the previous step left in the other.
    SwitchRoute route = {kDdsReferenceOutput, g_options.refClockSource};
    sendControl(service, KELctrl_BASEF_SETSWITCH, "KELctrl_BASEF_SETSWITCH", &route);

    route.input = kSwitchOn;
    sendControl(service, KELctrl_BASEF_SWITCHONOFF, "KELctrl_BASEF_SWITCHONOFF", &route);

    FmcClockFlags flags = {g_options.refClockSource == 4 ? 1u : 0u,
                           g_options.refClockSource == 7 ? 1u : 0u};
    sendControl(service, KELctrl_BASEF_SETCLKMODE, "KELctrl_BASEF_SETCLKMODE", &flags);

    readBackRoute(service, &route, "DDS Reference");

    route.output = kClockOutOutput;
    route.input = kSwitchOn;
    KEL_ctrl(service, 0, KELctrl_BASEF_SWITCHONOFF, &route); // not examined

    route.input =
        g_options.outputFreq > kClockOutThreshold ? kClockOutInputHigh : kClockOutInputLow;
    sendControl(service, KELctrl_BASEF_SETSWITCH, "KELctrl_BASEF_SETSWITCH", &route);

    readBackRoute(service, &route, "CLK_OUT");

    KEL_release(service, 0);
}
