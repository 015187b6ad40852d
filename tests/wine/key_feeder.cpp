// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// key_feeder PROGRAM [ARGUMENTS...]
//
// Starts PROGRAM with a Windows pipe as its standard input, copies this
// program's own standard input into that pipe, closes it, and ends with
// PROGRAM's exit status. Standard output and error are shared.
//
// Under Wine a Unix pipe given as standard input can be read but not peeked,
// so a program could never see that a key is waiting; a pipe made here
// behaves as on Windows (PeekNamedPipe, then ERROR_BROKEN_PIPE at its end).
#include <stdio.h>
#include <string.h>
#include <wchar.h>
#include <windows.h>

namespace {

const DWORD kFailure = 125; // the feeder itself failed, not the program

// The command line after this program's own name, as it was given, so that
// PROGRAM parses the same arguments that it would get started directly.
const wchar_t *commandLineAfterOwnName() {
    const wchar_t *text = GetCommandLineW();
    if (*text == L'"') {
        ++text;
        while (*text != L'\0' && *text != L'"') {
            ++text;
        }
        if (*text == L'"') {
            ++text;
        }
    } else {
        while (*text != L'\0' && *text != L' ' && *text != L'\t') {
            ++text;
        }
    }
    while (*text == L' ' || *text == L'\t') {
        ++text;
    }
    return text;
}

// An inheritable duplicate of a standard handle; null when there is none.
HANDLE inheritable(DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    HANDLE copy = nullptr;
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE ||
        !DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, TRUE,
                         DUPLICATE_SAME_ACCESS)) {
        return nullptr;
    }
    return copy;
}

// Copies standard input into the pipe until its end, or until the program
// stops reading (it has ended: the write fails).
void feed(HANDLE pipeWrite) {
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    char chunk[4096];
    DWORD got = 0;
    while (input != nullptr && input != INVALID_HANDLE_VALUE &&
           ReadFile(input, chunk, sizeof chunk, &got, nullptr) && got > 0) {
        DWORD done = 0;
        for (DWORD written = 0; done < got; done += written) {
            if (!WriteFile(pipeWrite, chunk + done, got - done, &written, nullptr)) {
                return;
            }
        }
    }
}

} // namespace

int main() {
    const wchar_t *arguments = commandLineAfterOwnName();
    if (*arguments == L'\0') {
        fprintf(stderr, "usage: key_feeder PROGRAM [ARGUMENTS...]\n");
        return static_cast<int>(kFailure);
    }
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE pipeRead = nullptr;
    HANDLE pipeWrite = nullptr;
    if (!CreatePipe(&pipeRead, &pipeWrite, &inherit, 0) ||
        !SetHandleInformation(pipeWrite, HANDLE_FLAG_INHERIT, 0)) {
        fprintf(stderr, "key_feeder: cannot create a pipe (error %lu)\n", GetLastError());
        return static_cast<int>(kFailure);
    }

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = pipeRead;
    startup.hStdOutput = inheritable(STD_OUTPUT_HANDLE);
    startup.hStdError = inheritable(STD_ERROR_HANDLE);

    // CreateProcessW may write into the command line it is given.
    const size_t length = wcslen(arguments) + 1;
    wchar_t *commandLine =
        static_cast<wchar_t *>(HeapAlloc(GetProcessHeap(), 0, length * sizeof(wchar_t)));
    if (commandLine == nullptr) {
        return static_cast<int>(kFailure);
    }
    memcpy(commandLine, arguments, length * sizeof(wchar_t));

    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(nullptr, commandLine, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &started)) {
        fprintf(stderr, "key_feeder: cannot start the program (error %lu)\n", GetLastError());
        return static_cast<int>(kFailure);
    }
    // Only the program holds the read end now, so that its end of input
    // comes when this side closes the write end.
    CloseHandle(pipeRead);
    feed(pipeWrite);
    CloseHandle(pipeWrite);

    WaitForSingleObject(started.hProcess, INFINITE);
    DWORD status = kFailure;
    GetExitCodeProcess(started.hProcess, &status);
    CloseHandle(started.hProcess);
    CloseHandle(started.hThread);
    return static_cast<int>(status);
}
