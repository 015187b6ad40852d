// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// A helper thread inside a program that never takes the program's signals:
// they stay with the threads that watch for them (stop_request.h).
#ifndef PLATFORM_BACKGROUND_THREAD_H
#define PLATFORM_BACKGROUND_THREAD_H

#include <functional>
#include <thread>

std::thread platStartBackgroundThread(std::function<void()> work);

#endif
