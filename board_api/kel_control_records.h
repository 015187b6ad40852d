/* The size of the record each control code takes, by service. Control codes
 * are numbered per service, so the service's name is part of the question.
 * 0: the code takes no record (or the service or code is not one of these). */
#ifndef KEL_CONTROL_RECORDS_H
#define KEL_CONTROL_RECORDS_H

#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "kel_api.h"
#include "kel_basedds.h"
#include "kel_basefmc.h"
#include "kel_sysmon.h"

/* name: the service name as captured, at most KEL_SERVICE_NAME_SIZE bytes. */
static inline size_t kelControlRecordSize(const char *name, uint32_t code) {
    if (strncmp(name, KEL_SERVICE_BASEFMC, KEL_SERVICE_NAME_SIZE) == 0) {
        switch (code) {
        case KELctrl_BASEF_SETSWITCH:
        case KELctrl_BASEF_GETSWITCH:
        case KELctrl_BASEF_SWITCHONOFF:
            return sizeof(SwitchRoute);
        case KELctrl_BASEF_SETCLKMODE:
            return sizeof(FmcClockFlags);
        default:
            return 0;
        }
    }
    if (strncmp(name, KEL_SERVICE_BASEDDS, KEL_SERVICE_NAME_SIZE) == 0) {
        switch (code) {
        case KELctrl_DDS_SETMASTER:
            return sizeof(uint32_t);
        case KELctrl_DDS_SETCLKMODE:
            return sizeof(DdsClockMode);
        case KELctrl_DDS_SETOUTFREQ:
        case KELctrl_DDS_OUTFREQ_AUX:
            return sizeof(DdsOutFreq);
        case KELctrl_DDS_SETSTARTMODE:
            return sizeof(DdsStartMode);
        case KELctrl_DDS_SETSTBMODE:
            return sizeof(DdsStrobeMode);
        default:
            return 0; /* START takes none */
        }
    }
    if (strncmp(name, KEL_SERVICE_SYSMON, KEL_SERVICE_NAME_SIZE) == 0) {
        switch (code) {
        case KELctrl_SYSMON_GETTEMP:
        case KELctrl_SYSMON_GETVCCINT:
        case KELctrl_SYSMON_GETVCCAUX:
            return sizeof(SensorReading);
        case KELctrl_SYSMON_GETVREFP:
        case KELctrl_SYSMON_GETVREFN:
            return sizeof(double);
        case KELctrl_SYSMON_GETNOMINALS:
            return sizeof(NominalVoltages);
        default:
            return 0;
        }
    }
    return 0;
}

#endif
