#include "fmc_clock.h"

#include <stddef.h>
#include <stdio.h>

#include "../board_api/kel_api.h"
#include "../board_api/kel_basefmc.h"
#include "../board_api/kel_status.h"
#include "program_values.h"
#include "status_report.h"

// The board reads these records field by field at fixed offsets.
static_assert(offsetof(SwitchRoute, output) == 0, "switch output at 0");
static_assert(offsetof(FmcClockFlags, refIsSource4) == 0, "source-4 flag at 0");
static_assert(offsetof(FmcClockFlags, refIsSource7) == 4, "source-7 flag at 4");

namespace {

const uint32_t kCaptureTimeout = 10000;

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

void printCaptureMode(uint32_t mode, int32_t service) {
    const unsigned int handle = static_cast<unsigned int>(service);
    if (mode == KEL_MODE_EXCLUSIVE) {
        printf("BASEFMC Capture mode: EXCLUSIVE (%X)\n", handle);
    } else if (mode == KEL_MODE_SHARED) {
        printf("BASEFMC Capture mode: SHARED (%X)\n", handle);
    } else if (mode == KEL_MODE_SPY) {
        printf("BASEFMC Capture mode: SPY (%X)\n", handle);
    }
}

// Sends one switch command; a failure is reported and the caller goes on.
bool sendSwitchCommand(int32_t service, uint32_t code, const char *codeName, void *record) {
    const int32_t status = KEL_ctrl(service, 0, code, record);
    if (KEL_FAILED(status)) {
        reportStatus(codeName, status);
        return false;
    }
    return true;
}

// Reads back what the switch routes to route->output and prints it.
void readBackRoute(int32_t service, SwitchRoute *route, const char *outputLabel) {
    if (sendSwitchCommand(service, KELctrl_BASEF_GETSWITCH, "KELctrl_BASEF_GETSWITCH", route)) {
        printf("Switch input %d ---> Switch output %d (%s)\n", static_cast<int>(route->input),
               static_cast<int>(route->output), outputLabel);
    }
}

} // namespace

void setupFmcClock(int32_t device) {
    uint32_t mode = KEL_MODE_SHARED;
    const int32_t service = KEL_capture(device, 0, &mode, KEL_SERVICE_BASEFMC, kCaptureTimeout);
    if (service <= 0) {
        printf("BASEFMC0 NOT capture (%X)\n", static_cast<unsigned int>(service));
        return;
    }
    printCaptureMode(mode, service);

    // One route record serves every switch step: each step sets the fields
    // it names and keeps what the previous step left in the other.
    SwitchRoute route = {kDdsReferenceOutput, g_options.refClockSource};
    sendSwitchCommand(service, KELctrl_BASEF_SETSWITCH, "KELctrl_BASEF_SETSWITCH", &route);

    route.input = kSwitchOn;
    sendSwitchCommand(service, KELctrl_BASEF_SWITCHONOFF, "KELctrl_BASEF_SWITCHONOFF", &route);

    FmcClockFlags flags = {g_options.refClockSource == 4 ? 1u : 0u,
                           g_options.refClockSource == 7 ? 1u : 0u};
    sendSwitchCommand(service, KELctrl_BASEF_SETCLKMODE, "KELctrl_BASEF_SETCLKMODE", &flags);

    readBackRoute(service, &route, "DDS Reference");

    route.output = kClockOutOutput;
    route.input = kSwitchOn;
    KEL_ctrl(service, 0, KELctrl_BASEF_SWITCHONOFF, &route); // not examined

    route.input =
        g_options.outputFreq > kClockOutThreshold ? kClockOutInputHigh : kClockOutInputLow;
    sendSwitchCommand(service, KELctrl_BASEF_SETSWITCH, "KELctrl_BASEF_SETSWITCH", &route);

    readBackRoute(service, &route, "CLK_OUT");

    KEL_release(service, 0);
}
