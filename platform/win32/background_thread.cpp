// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "../background_thread.h"

// Console control events come on a thread of their own on Windows: a helper
// thread takes none of them.
std::thread platStartBackgroundThread(std::function<void()> work) {
    return std::thread(std::move(work));
}
