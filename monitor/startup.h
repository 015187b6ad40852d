// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// demo_sensors' entry flow: locale, help request, flags, library start,
// the device sequence and the closing key wait that ends every run.
#ifndef MONITOR_STARTUP_H
#define MONITOR_STARTUP_H

// Returns the exit status: 0 for a help request and for a run whose
// polling loop ran, 1 for every run that stopped on an error.
int runSensors(int argc, char **argv);

// Exactly one argument, containing "-help" anywhere.
bool isHelpRequest(int argc, char **argv);

// Prints the closing prompt and waits for one key.
void waitForKey(void);

#endif
