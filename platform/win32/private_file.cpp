// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "../private_file.h"

#include <windows.h>

#include <aclapi.h>

#include <string>
#include <vector>

#include "filesystem.h"
#include "wide_text.h"

namespace {

// Groups that stand for others than the file's owner.
bool isEveryoneElse(PSID sid) {
    return IsWellKnownSid(sid, WinWorldSid) || IsWellKnownSid(sid, WinAuthenticatedUserSid) ||
           IsWellKnownSid(sid, WinBuiltinUsersSid) || IsWellKnownSid(sid, WinBuiltinGuestsSid) ||
           IsWellKnownSid(sid, WinAnonymousSid);
}

// True when the access list lets everyone else do any of the rights: no
// list at all lets everyone do everything. An entry that only passes to
// what the folder will hold (inherit-only) gives nothing on the object.
bool allowsEveryoneElse(PACL dacl, DWORD rights) {
    if (dacl == nullptr) {
        return true;
    }
    for (DWORD index = 0; index < dacl->AceCount; ++index) {
        void *entry = nullptr;
        if (!GetAce(dacl, index, &entry)) {
            continue;
        }
        const ACE_HEADER *header = static_cast<ACE_HEADER *>(entry);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE)) {
            continue;
        }
        ACCESS_ALLOWED_ACE *allowed = static_cast<ACCESS_ALLOWED_ACE *>(entry);
        if ((allowed->Mask & rights) != 0 && isEveryoneElse(&allowed->SidStart)) {
            return true;
        }
    }
    return false;
}

// The process's user, the administrators (an elevated program's files are
// theirs) and the system: the accounts that may own a secret file.
bool trustedOwner(PSID owner) {
    if (IsWellKnownSid(owner, WinBuiltinAdministratorsSid) ||
        IsWellKnownSid(owner, WinLocalSystemSid)) {
        return true;
    }
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return false;
    }
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> user(size);
    const bool mine = size > 0 && GetTokenInformation(token, TokenUser, user.data(), size, &size) &&
                      EqualSid(owner, reinterpret_cast<TOKEN_USER *>(user.data())->User.Sid);
    CloseHandle(token);
    return mine;
}

// Others may add a file to the folder or remove the token's: as on POSIX,
// only the file's own folder is judged. A folder whose access list cannot
// be read is left to the file's own checks.
bool folderOpenToOthers(const std::wstring &path) {
    const size_t separator = path.find_last_of(L"\\/");
    const std::wstring folder = separator == std::wstring::npos ? L"."
                                : separator == 0                ? path.substr(0, 1)
                                                                : path.substr(0, separator);
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    const bool open = allowsEveryoneElse(dacl, FILE_ADD_FILE | FILE_DELETE_CHILD | GENERIC_WRITE |
                                                   GENERIC_ALL | WRITE_DAC);
    LocalFree(descriptor);
    return open;
}

SecretFileFault judge(HANDLE file, const std::wstring &path) {
    if (GetFileType(file) != FILE_TYPE_DISK) {
        return SecretFileFault::special;
    }
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(file, SE_FILE_OBJECT,
                        OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                        &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
        return SecretFileFault::otherOwner; // whose it is cannot be told
    }
    SecretFileFault fault = SecretFileFault::none;
    if (owner == nullptr || !trustedOwner(owner)) {
        fault = SecretFileFault::otherOwner;
    } else if (allowsEveryoneElse(dacl, FILE_READ_DATA | FILE_WRITE_DATA | FILE_APPEND_DATA |
                                            GENERIC_READ | GENERIC_WRITE | GENERIC_ALL)) {
        fault = SecretFileFault::openToOthers;
    } else if (folderOpenToOthers(path)) {
        fault = SecretFileFault::folderOpen;
    }
    LocalFree(descriptor);
    return fault;
}

std::string systemMessage(DWORD error) {
    char text[256] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                   text, sizeof text, nullptr);
    std::string message = text;
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
        message.pop_back();
    }
    return message;
}

} // namespace

SecretFileFault platReadSecretFile(const char *path, size_t limit, std::string *text,
                                   std::string *reason) {
    std::wstring wide;
    if (!wideFromUtf8(path, &wide) && !wideFromAnsi(path, &wide)) {
        *reason = "the name is not valid text";
        return SecretFileFault::unreadable;
    }
    // A pipe or a console is looked at without reading access first.
    if (platIsSpecialFile(path)) {
        return SecretFileFault::special;
    }
    const HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ | READ_CONTROL, FILE_SHARE_READ,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *reason = systemMessage(GetLastError());
        return SecretFileFault::unreadable;
    }
    SecretFileFault fault = judge(file, wide);
    char chunk[4096];
    DWORD got = 0;
    while (fault == SecretFileFault::none && text->size() <= limit) {
        if (!ReadFile(file, chunk, sizeof chunk, &got, nullptr)) {
            *reason = systemMessage(GetLastError());
            fault = SecretFileFault::unreadable;
        } else if (got == 0) {
            break;
        } else {
            text->append(chunk, got);
        }
    }
    if (fault == SecretFileFault::none && text->size() > limit) {
        *reason = "larger than " + std::to_string(limit) + " bytes";
        fault = SecretFileFault::unreadable;
    }
    CloseHandle(file);
    return fault;
}
