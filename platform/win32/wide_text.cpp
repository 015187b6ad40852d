// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "wide_text.h"

#include <windows.h>

namespace {

bool wideFrom(UINT codePage, const char *text, std::wstring *wide) {
    const int count = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
    if (count <= 0) {
        return false;
    }
    wide->assign(static_cast<size_t>(count), L'\0');
    MultiByteToWideChar(codePage, 0, text, -1, &(*wide)[0], count);
    wide->resize(static_cast<size_t>(count) - 1);
    return true;
}

} // namespace

bool wideFromAnsi(const char *text, std::wstring *wide) { return wideFrom(CP_ACP, text, wide); }

bool wideFromUtf8(const char *text, std::wstring *wide) { return wideFrom(CP_UTF8, text, wide); }

bool utf8FromWide(const std::wstring &wide, std::string *text) {
    const int count =
        WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (count <= 0) {
        return false;
    }
    text->assign(static_cast<size_t>(count), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, &(*text)[0], count, nullptr, nullptr);
    text->resize(static_cast<size_t>(count) - 1);
    return true;
}
