// A stand-in for an operator's own board library: it says it was loaded and
// refuses to start, so a package check sees which libKEL.so a program found.
#include "kel_api.h"

#include <stdio.h>

extern "C" {

KEL_API int32_t KEL_CALL KEL_displayMode(int32_t) {
    printf("stand-in board library\n");
    return 0;
}
KEL_API int32_t KEL_CALL KEL_init(const char *, int32_t *) { return -1; }
KEL_API int32_t KEL_CALL KEL_lidList(uint32_t *, uint32_t, uint32_t *count) {
    *count = 0;
    return -1;
}
KEL_API int32_t KEL_CALL KEL_getInfo(uint32_t, KEL_BoardInfo *) { return -1; }
KEL_API int32_t KEL_CALL KEL_open(uint32_t, uint32_t, uint32_t *) { return -1; }
KEL_API int32_t KEL_CALL KEL_puList(int32_t, KEL_PuEntry *, uint32_t, uint32_t *) { return -1; }
KEL_API int32_t KEL_CALL KEL_puState(int32_t, uint32_t, uint32_t *) { return -1; }
KEL_API int32_t KEL_CALL KEL_serviceList(int32_t, uint32_t, KEL_ServiceEntry *, uint32_t,
                                         uint32_t *) {
    return -1;
}
KEL_API int32_t KEL_CALL KEL_capture(int32_t, uint32_t, uint32_t *, const char *, uint32_t) {
    return -1;
}
KEL_API int32_t KEL_CALL KEL_ctrl(int32_t, uint32_t, uint32_t, void *) { return -1; }
KEL_API int32_t KEL_CALL KEL_release(int32_t, uint32_t) { return -1; }
KEL_API int32_t KEL_CALL KEL_close(int32_t) { return -1; }
KEL_API int32_t KEL_CALL KEL_cleanup(void) { return 0; }
}
