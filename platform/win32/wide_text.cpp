#include "wide_text.h"

#include <windows.h>

bool wideFromAnsi(const char *text, std::wstring *wide) {
    const int count = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (count <= 0) {
        return false;
    }
    wide->assign(static_cast<size_t>(count), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, &(*wide)[0], count);
    wide->resize(static_cast<size_t>(count) - 1);
    return true;
}
