// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Text turned into the UTF-16 the wide Windows calls take, and back: from
// the ANSI code page, as the narrow calls take it, or from UTF-8, the form
// in which paths read from the environment are kept.
#ifndef PLATFORM_WIN32_WIDE_TEXT_H
#define PLATFORM_WIN32_WIDE_TEXT_H

#include <string>

bool wideFromAnsi(const char *text, std::wstring *wide);
bool wideFromUtf8(const char *text, std::wstring *wide);
bool utf8FromWide(const std::wstring &wide, std::string *text);

#endif
