// Text in the ANSI code page, as the narrow Windows calls take it, turned
// into the UTF-16 the wide calls take.
#ifndef PLATFORM_WIN32_WIDE_TEXT_H
#define PLATFORM_WIN32_WIDE_TEXT_H

#include <string>

bool wideFromAnsi(const char *text, std::wstring *wide);

#endif
