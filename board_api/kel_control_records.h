// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
/* Every control code of every service: its name, as the codes' own macros
 * spell it, and the record it takes, field by field. Control codes are
 * numbered per service, so the service's name is part of the question. One
 * table answers both how large a code's record is (the simulated library,
 * the recorder, the replay) and what it says (a recording's comments).
 * C++ only, as every part that reads control records. */
#ifndef KEL_CONTROL_RECORDS_H
#define KEL_CONTROL_RECORDS_H

#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "kel_api.h"
#include "kel_basedds.h"
#include "kel_basefmc.h"
#include "kel_sysmon.h"

typedef enum KelFieldKind {
    KEL_FIELD_WORD,   /* uint32_t */
    KEL_FIELD_SIGNED, /* int32_t */
    KEL_FIELD_DOUBLE  /* IEEE double, little-endian */
} KelFieldKind;

typedef struct KelRecordField {
    const char *name;
    size_t offset;
    KelFieldKind kind;
} KelRecordField;

/* A record: its name, size and fields (no field is past the size). */
typedef struct KelRecordLayout {
    const char *name;
    size_t size;
    const KelRecordField *fields;
    size_t fieldCount;
} KelRecordLayout;

typedef struct KelControlCode {
    const char *service;
    uint32_t code;
    const char *name;
    const KelRecordLayout *record; /* null: the code takes no record */
} KelControlCode;

#define KEL_FIELD(type, field, kind)                                                               \
    { #field, offsetof(type, field), kind }
#define KEL_LAYOUT(type, fields)                                                                   \
    { #type, sizeof(type), (fields), sizeof(fields) / sizeof((fields)[0]) }
/* The name is the code macro's own spelling: it cannot drift from the value. */
#define KEL_CODE(service, code, record)                                                            \
    { service, code, #code, record }

static const KelRecordField kelSwitchRouteFields[] = {
    KEL_FIELD(SwitchRoute, output, KEL_FIELD_SIGNED),
    KEL_FIELD(SwitchRoute, input, KEL_FIELD_SIGNED)};
static const KelRecordField kelFmcClockFlagsFields[] = {
    KEL_FIELD(FmcClockFlags, refIsSource4, KEL_FIELD_WORD),
    KEL_FIELD(FmcClockFlags, refIsSource7, KEL_FIELD_WORD)};
static const KelRecordField kelMasterFields[] = {{"master", 0, KEL_FIELD_WORD}};
static const KelRecordField kelDdsClockModeFields[] = {
    KEL_FIELD(DdsClockMode, source, KEL_FIELD_WORD),
    KEL_FIELD(DdsClockMode, referenceFreq, KEL_FIELD_DOUBLE)};
static const KelRecordField kelDdsOutFreqFields[] = {
    KEL_FIELD(DdsOutFreq, outputFreq, KEL_FIELD_DOUBLE),
    KEL_FIELD(DdsOutFreq, word1, KEL_FIELD_WORD), KEL_FIELD(DdsOutFreq, word2, KEL_FIELD_WORD)};
static const KelRecordField kelDdsStartModeFields[] = {
    KEL_FIELD(DdsStartMode, startSource, KEL_FIELD_WORD),
    KEL_FIELD(DdsStartMode, startInverse, KEL_FIELD_WORD),
    KEL_FIELD(DdsStartMode, word2, KEL_FIELD_WORD),
    KEL_FIELD(DdsStartMode, word3, KEL_FIELD_WORD),
    KEL_FIELD(DdsStartMode, word4, KEL_FIELD_WORD),
    KEL_FIELD(DdsStartMode, word5, KEL_FIELD_WORD)};
static const KelRecordField kelDdsStrobeModeFields[] = {
    KEL_FIELD(DdsStrobeMode, length, KEL_FIELD_WORD),
    KEL_FIELD(DdsStrobeMode, polarity, KEL_FIELD_WORD),
    KEL_FIELD(DdsStrobeMode, delay, KEL_FIELD_WORD),
    KEL_FIELD(DdsStrobeMode, period, KEL_FIELD_WORD),
    KEL_FIELD(DdsStrobeMode, number, KEL_FIELD_WORD),
    KEL_FIELD(DdsStrobeMode, continuous, KEL_FIELD_WORD)};
static const KelRecordField kelSensorReadingFields[] = {
    KEL_FIELD(SensorReading, current, KEL_FIELD_DOUBLE),
    KEL_FIELD(SensorReading, minimum, KEL_FIELD_DOUBLE),
    KEL_FIELD(SensorReading, maximum, KEL_FIELD_DOUBLE)};
static const KelRecordField kelVoltageFields[] = {{"voltage", 0, KEL_FIELD_DOUBLE}};
static const KelRecordField kelNominalVoltagesFields[] = {
    KEL_FIELD(NominalVoltages, vccInt, KEL_FIELD_DOUBLE),
    KEL_FIELD(NominalVoltages, vccAux, KEL_FIELD_DOUBLE),
    KEL_FIELD(NominalVoltages, vrefP, KEL_FIELD_DOUBLE),
    KEL_FIELD(NominalVoltages, vrefN, KEL_FIELD_DOUBLE)};

static const KelRecordLayout kelSwitchRoute = KEL_LAYOUT(SwitchRoute, kelSwitchRouteFields);
static const KelRecordLayout kelFmcClockFlags = KEL_LAYOUT(FmcClockFlags, kelFmcClockFlagsFields);
static const KelRecordLayout kelMaster = {"uint32_t", sizeof(uint32_t), kelMasterFields, 1};
static const KelRecordLayout kelDdsClockMode = KEL_LAYOUT(DdsClockMode, kelDdsClockModeFields);
static const KelRecordLayout kelDdsOutFreq = KEL_LAYOUT(DdsOutFreq, kelDdsOutFreqFields);
static const KelRecordLayout kelDdsStartMode = KEL_LAYOUT(DdsStartMode, kelDdsStartModeFields);
static const KelRecordLayout kelDdsStrobeMode = KEL_LAYOUT(DdsStrobeMode, kelDdsStrobeModeFields);
static const KelRecordLayout kelSensorReading = KEL_LAYOUT(SensorReading, kelSensorReadingFields);
static const KelRecordLayout kelVoltage = {"double", sizeof(double), kelVoltageFields, 1};
static const KelRecordLayout kelNominalVoltages =
    KEL_LAYOUT(NominalVoltages, kelNominalVoltagesFields);

static const KelControlCode kelControlCodes[] = {
    KEL_CODE(KEL_SERVICE_BASEFMC, KELctrl_BASEF_SETSWITCH, &kelSwitchRoute),
    KEL_CODE(KEL_SERVICE_BASEFMC, KELctrl_BASEF_GETSWITCH, &kelSwitchRoute),
    KEL_CODE(KEL_SERVICE_BASEFMC, KELctrl_BASEF_SWITCHONOFF, &kelSwitchRoute),
    KEL_CODE(KEL_SERVICE_BASEFMC, KELctrl_BASEF_SETCLKMODE, &kelFmcClockFlags),
    KEL_CODE(KEL_SERVICE_BASEDDS, KELctrl_DDS_SETMASTER, &kelMaster),
    KEL_CODE(KEL_SERVICE_BASEDDS, KELctrl_DDS_SETCLKMODE, &kelDdsClockMode),
    KEL_CODE(KEL_SERVICE_BASEDDS, KELctrl_DDS_SETOUTFREQ, &kelDdsOutFreq),
    KEL_CODE(KEL_SERVICE_BASEDDS, KELctrl_DDS_OUTFREQ_AUX, &kelDdsOutFreq),
    KEL_CODE(KEL_SERVICE_BASEDDS, KELctrl_DDS_START, nullptr),
    KEL_CODE(KEL_SERVICE_BASEDDS, KELctrl_DDS_SETSTBMODE, &kelDdsStrobeMode),
    KEL_CODE(KEL_SERVICE_BASEDDS, KELctrl_DDS_SETSTARTMODE, &kelDdsStartMode),
    KEL_CODE(KEL_SERVICE_SYSMON, KELctrl_SYSMON_GETTEMP, &kelSensorReading),
    KEL_CODE(KEL_SERVICE_SYSMON, KELctrl_SYSMON_GETVCCINT, &kelSensorReading),
    KEL_CODE(KEL_SERVICE_SYSMON, KELctrl_SYSMON_GETVCCAUX, &kelSensorReading),
    KEL_CODE(KEL_SERVICE_SYSMON, KELctrl_SYSMON_GETVREFP, &kelVoltage),
    KEL_CODE(KEL_SERVICE_SYSMON, KELctrl_SYSMON_GETVREFN, &kelVoltage),
    KEL_CODE(KEL_SERVICE_SYSMON, KELctrl_SYSMON_GETNOMINALS, &kelNominalVoltages)};

/* name: the service name as captured, at most KEL_SERVICE_NAME_SIZE bytes.
 * Null when the service or the code is not one of these. */
static inline const KelControlCode *kelControlCode(const char *name, uint32_t code) {
    size_t i;
    for (i = 0; i < sizeof kelControlCodes / sizeof kelControlCodes[0]; ++i) {
        if (kelControlCodes[i].code == code &&
            strncmp(name, kelControlCodes[i].service, KEL_SERVICE_NAME_SIZE) == 0) {
            return &kelControlCodes[i];
        }
    }
    return nullptr;
}

/* The size of the record a code takes; 0: the code takes no record (or the
 * service or code is not one of these). */
static inline size_t kelControlRecordSize(const char *name, uint32_t code) {
    const KelControlCode *known = kelControlCode(name, code);
    return known != nullptr && known->record != nullptr ? known->record->size : 0;
}

#undef KEL_FIELD
#undef KEL_LAYOUT
#undef KEL_CODE

#endif
