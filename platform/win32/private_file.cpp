// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "../private_file.h"

#include <windows.h>

#include <aclapi.h>

#include <string>

#include "wide_text.h"

namespace {

// Groups that stand for others than the file's owner.
bool isEveryoneElse(PSID sid) {
    return IsWellKnownSid(sid, WinWorldSid) || IsWellKnownSid(sid, WinAuthenticatedUserSid) ||
           IsWellKnownSid(sid, WinBuiltinUsersSid) || IsWellKnownSid(sid, WinBuiltinGuestsSid) ||
           IsWellKnownSid(sid, WinAnonymousSid);
}

} // namespace

// The file's access list: open to others when it has none (everyone may do
// everything) or when it allows reading or writing to Everyone,
// Authenticated Users, Users, Guests or Anonymous.
bool platFileOpenToOthers(const char *path) {
    std::wstring wide;
    if (!wideFromUtf8(path, &wide) && !wideFromAnsi(path, &wide)) {
        return false;
    }
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(wide.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    const DWORD reachable = FILE_READ_DATA | FILE_WRITE_DATA | FILE_APPEND_DATA | GENERIC_READ |
                            GENERIC_WRITE | GENERIC_ALL;
    bool open = dacl == nullptr;
    for (DWORD index = 0; !open && dacl != nullptr && index < dacl->AceCount; ++index) {
        void *entry = nullptr;
        if (!GetAce(dacl, index, &entry) ||
            static_cast<ACE_HEADER *>(entry)->AceType != ACCESS_ALLOWED_ACE_TYPE) {
            continue;
        }
        ACCESS_ALLOWED_ACE *allowed = static_cast<ACCESS_ALLOWED_ACE *>(entry);
        open = (allowed->Mask & reachable) != 0 && isEveryoneElse(&allowed->SidStart);
    }
    LocalFree(descriptor);
    return open;
}
