#include "dds_setup.h"

#include <stddef.h>
#include <stdio.h>

#include "../board_api/kel_api.h"
#include "../board_api/kel_basedds.h"
#include "../board_api/kel_status.h"
#include "../platform/console.h"
#include "../platform/stop_request.h"
#include "program_values.h"
#include "status_report.h"

// The board reads these records field by field at fixed offsets.
static_assert(offsetof(DdsClockMode, source) == 0, "clock source at 0");
static_assert(offsetof(DdsOutFreq, outputFreq) == 0, "output frequency at 0");
static_assert(offsetof(DdsStartMode, startInverse) == 4, "start inversion at 4");
static_assert(offsetof(DdsStartMode, word2) == 8, "third start word at 8");
static_assert(offsetof(DdsStrobeMode, polarity) == 4, "strobe polarity at 4");
static_assert(offsetof(DdsStrobeMode, delay) == 8, "strobe delay at 8");
static_assert(offsetof(DdsStrobeMode, period) == 12, "strobe period at 12");
static_assert(offsetof(DdsStrobeMode, number) == 16, "number of strobes at 16");
static_assert(offsetof(DdsStrobeMode, continuous) == 20, "continuous flag at 20");

namespace {

const uint32_t kMasterOn = 1;

// Sends one record; a failure is reported under the step's code name.
int32_t sendDdsCommand(int32_t service, uint32_t code, const char *codeName, void *record) {
    const int32_t status = KEL_ctrl(service, 0, code, record);
    if (KEL_FAILED(status)) {
        reportStatus(codeName, status);
    }
    return status;
}

void setMaster(int32_t service) {
    uint32_t master = kMasterOn;
    const int32_t status =
        sendDdsCommand(service, KELctrl_DDS_SETMASTER, "KELctrl_DDS_SETMASTER", &master);
    if (!KEL_FAILED(status)) {
        printf("KELctrl_DDS_SETMASTER:  master= %d\n", static_cast<int>(master));
    }
}

void setClockMode(int32_t service) {
    DdsClockMode clock;
    clock.source = g_options.refClockSource == 4 ? 1u : 0u;
    clock.referenceFreq = g_options.refClockValue;
    const int32_t status =
        sendDdsCommand(service, KELctrl_DDS_SETCLKMODE, "KELctrl_DDS_SETCLKMODE", &clock);
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
        sendDdsCommand(service, KELctrl_DDS_SETOUTFREQ, "KELctrl_DDS_SETOUTFREQ", &output);
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
        sendDdsCommand(service, KELctrl_DDS_SETSTARTMODE, "KELctrl_DDS_SETSTARTMODE", &start);
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
        sendDdsCommand(service, KELctrl_DDS_SETSTBMODE, "KELctrl_DDS_SETSTBMODE", strobe);
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
    const int32_t status = KEL_ctrl(service, 0, KELctrl_DDS_START, nullptr);
    if (KEL_FAILED(status)) {
        reportStatus("KELctrl_DDS_START", status);
    } else {
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
