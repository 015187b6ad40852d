// Reading a whole file, the same on every platform once it is open.
#include "environment_file.h"

bool platReadFile(const char *path, std::string *text) {
    FILE *file = platOpenFile(path, "rb");
    if (file == nullptr) {
        return false;
    }
    char chunk[65536];
    size_t got = 0;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) {
        text->append(chunk, got);
    }
    const bool complete = ferror(file) == 0;
    fclose(file);
    return complete;
}
