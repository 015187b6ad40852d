// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "dds_setup.h"

#include <stdio.h>

#include "console.h"
#include "kel_api.h"
#include "kel_basedds.h"
#include "kel_status.h"
#include "program_values.h"
#include "status_report.h"
#include "stop_request.h"

namespace {

const uint32_t kMasterOn = 1;

void setMaster(int32_t service) {
    uint32_t master = kMasterOn;
    const int32_t status =
        sendControl(service, KELctrl_DDS_SETMASTER, "KELctrl_DDS_SETMASTER", &master);
    if (!KEL_FAILED(status)) {
        printf("KELctrl_DDS_SETMASTER:  master= %d\n", static_cast<int>(master));
    }
}

void setClockMode(int32_t service) {
    DdsClockMode clock;
    clock.source = g_options.refClockSource == 4 ? 1u : 0u;
    clock.referenceFreq = g_options.refClockValue;
    const int32_t status =
        sendControl(service, KELctrl_DDS_SETCLKMODE, "KELctrl_DDS_SETCLKMODE", &clock);
    if (!KEL_FAILED(status)) {
        printf("KELctrl_DDS_SETCLKMODE: src= %d value = %.2f\n", static_cast<int>(clock.source),
               clock.referenceFreq);
    }
}

void setOutputFrequency(int32_t service) {
    DdsOutFreq output;
    output.outputFreq = g_options.outputFreq;
    output.word1 = 1;
    output.word2 = 1;
    const int32_t status =
        sendControl(service, KELctrl_DDS_SETOUTFREQ, "KELctrl_DDS_SETOUTFREQ", &output);
    if (!KEL_FAILED(status)) {
        printf("KELctrl_DDS_SETOUTFREQ: OutputFreq   = %.2f\n", g_options.outputFreq);
    }
    KEL_ctrl(service, 0, KELctrl_DDS_OUTFREQ_AUX, &output); // not examined
}

void setStartMode(int32_t service) {
    DdsStartMode start;
    start.startSource = static_cast<uint32_t>(g_options.startSource);
    start.startInverse = static_cast<uint32_t>(g_options.startInverse);
    start.word2 = 1;
    start.word3 = 0;
    start.word4 = 0;
    start.word5 = 0;
    const int32_t status =
        sendControl(service, KELctrl_DDS_SETSTARTMODE, "KELctrl_DDS_SETSTARTMODE", &start);
    if (!KEL_FAILED(status)) {
        printf("KELctrl_DDS_SETSTARTMODE: startSrc    = %d\n", static_cast<int>(start.startSource));
        printf("                          startInv    = %d\n",
               static_cast<int>(start.startInverse));
    }
}

int32_t setStrobeMode(int32_t service, DdsStrobeMode *strobe) {
    strobe->length = static_cast<uint32_t>(g_options.lengthStb);
    strobe->polarity = static_cast<uint32_t>(g_options.polarityStb);
    strobe->delay = static_cast<uint32_t>(g_options.delayStb);
    strobe->period = static_cast<uint32_t>(g_options.periodStb);
    strobe->number = static_cast<uint32_t>(g_options.numberStb);
    strobe->continuous = static_cast<uint32_t>(g_options.contStb);
    const int32_t status =
        sendControl(service, KELctrl_DDS_SETSTBMODE, "KELctrl_DDS_SETSTBMODE", strobe);
    if (!KEL_FAILED(status)) {
        printf("KELctrl_DDS_SETSTBMODE: LengthStb    = %d\n", static_cast<int>(strobe->length));
        printf("                        PolarityStb  = %d\n", static_cast<int>(strobe->polarity));
        printf("                        DelayStb     = %d\n", static_cast<int>(strobe->delay));
        printf("                        PeriodStb    = %d\n", static_cast<int>(strobe->period));
        printf("                        NumberStb    = %d\n", static_cast<int>(strobe->number));
        printf("                        ContStb\t\t = %d\n", static_cast<int>(strobe->continuous));
        printf("                        StartStb     = %d\n", static_cast<int>(g_options.startStb));
    }
    return status;
}

// The operator starts the strobe with a key press, so that a scope or a
// counter can be armed first; quiet runs start it at once.
int32_t startStrobe(int32_t service, DdsStrobeMode *strobe) {
    printf("Press any key for start !\n");
    if (!g_quiet) {
        platGetKey();
    }
    if (platStopStatus() != 0) {
        return 0; // the operator ended the run instead of starting the strobe
    }
    KEL_ctrl(service, 0, KELctrl_DDS_SETSTBMODE, strobe); // not examined
    const int32_t status = sendControl(service, KELctrl_DDS_START, "KELctrl_DDS_START", nullptr);
    if (!KEL_FAILED(status)) {
        printf("KELctrl_DDS_STARTSTROBE: StartStb\n");
    }
    return status;
}

} // namespace

int32_t setupDds(int32_t service) {
    // Every step runs whatever the earlier ones returned.
    setMaster(service);
    setClockMode(service);
    setOutputFrequency(service);
    setStartMode(service);
    DdsStrobeMode strobe;
    const int32_t strobeStatus = setStrobeMode(service, &strobe);
    if (g_options.startStb != 1) {
        return strobeStatus;
    }
    return startStrobe(service, &strobe);
}
