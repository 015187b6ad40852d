// Reading a whole file, the same on every platform once it is open.
#include "environment_file.h"

bool platReadFile(const char *path, std::string *text, size_t limit) {
    FILE *file = platOpenFile(path, "rb");
    if (file == nullptr) {
        return false;
    }
    char chunk[65536];
    size_t got = 0;
    size_t taken = 0;
    while (taken <= limit && (got = fread(chunk, 1, sizeof chunk, file)) > 0) {
        text->append(chunk, got);
        taken += got;
    }
    const bool complete = ferror(file) == 0 && taken <= limit;
    fclose(file);
    return complete;
}
