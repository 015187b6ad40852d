#include "../system.h"

#include <errno.h>
#include <locale.h>
#include <time.h>

void platSleepMs(uint32_t milliseconds) {
    struct timespec left;
    left.tv_sec = static_cast<time_t>(milliseconds / 1000u);
    left.tv_nsec = static_cast<long>(milliseconds % 1000u) * 1000000L;
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

bool platSetRussianLocaleAndCodePage(void) {
    // POSIX systems have no locale called "Russian"; try it, then a UTF-8
    // Russian locale. The messages are UTF-8 here, so a failure is harmless.
    return setlocale(LC_CTYPE, "Russian") != nullptr ||
           setlocale(LC_CTYPE, "ru_RU.UTF-8") != nullptr;
}
