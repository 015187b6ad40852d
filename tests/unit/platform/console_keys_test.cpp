// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Keys from redirected standard input, as scripted runs and the tests give
// them. The reader keeps what it learnt about its input (a byte read ahead,
// the end reached) for the whole process, so one test walks through it all.
#include <gtest/gtest.h>

#include "console.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <string.h>
#include <unistd.h>

#include "../../../platform/posix/key_sequence.h"
#endif

namespace {

#if defined(_WIN32)

// A Windows pipe as standard input: the kind PeekNamedPipe can look into.
class RedirectedInput {
public:
    explicit RedirectedInput(const char *bytes, DWORD count) {
        saved_ = GetStdHandle(STD_INPUT_HANDLE);
        HANDLE writeEnd = nullptr;
        CreatePipe(&readEnd_, &writeEnd, nullptr, 0);
        DWORD written = 0;
        WriteFile(writeEnd, bytes, count, &written, nullptr);
        CloseHandle(writeEnd);
        SetStdHandle(STD_INPUT_HANDLE, readEnd_);
    }
    ~RedirectedInput() {
        SetStdHandle(STD_INPUT_HANDLE, saved_);
        CloseHandle(readEnd_);
    }

private:
    HANDLE saved_ = nullptr;
    HANDLE readEnd_ = nullptr;
};

#else

class RedirectedInput {
public:
    explicit RedirectedInput(const char *bytes, size_t count) {
        saved_ = dup(STDIN_FILENO);
        int ends[2];
        if (pipe(ends) == 0) {
            (void)!write(ends[1], bytes, count);
            close(ends[1]);
            dup2(ends[0], STDIN_FILENO);
            close(ends[0]);
        }
    }
    ~RedirectedInput() {
        dup2(saved_, STDIN_FILENO);
        close(saved_);
    }

private:
    int saved_ = -1;
};

#endif

TEST(ConsoleKeys, RedirectedInputIsOneByteAKeyThenEndsAtOnce) {
    RedirectedInput input("x\r\x1b", 3);
    EXPECT_TRUE(platKeyWaiting());
    EXPECT_TRUE(platKeyWaiting()); // looking does not take the key
    EXPECT_EQ(platGetKey(), 'x');
    EXPECT_EQ(platGetKey(), '\r'); // no line-end translation
    EXPECT_TRUE(platKeyWaiting());
    EXPECT_EQ(platGetKey(), 27);
    // Regression: a pipe at its end must not be reported as a waiting key,
    // or an Esc loop would spin on it.
    EXPECT_FALSE(platKeyWaiting());
    EXPECT_EQ(platGetKey(), -1);
    EXPECT_EQ(platGetKey(), -1);
    EXPECT_FALSE(platKeyWaiting());
}

#if !defined(_WIN32)

struct Bytes {
    const char *text;
    size_t at;
};

int nextByte(void *source) {
    Bytes *bytes = static_cast<Bytes *>(source);
    const unsigned char byte = static_cast<unsigned char>(bytes->text[bytes->at]);
    return byte == 0 ? -1 : (++bytes->at, byte);
}

// Regression: an arrow or function key ended the monitor like Esc and left
// the rest of its sequence for the next prompt or the shell.
TEST(ConsoleKeys, ATerminalKeyIsTakenWholeAndOnlyEscIsEsc) {
    const int extended = PLAT_KEY_EXTENDED;
    struct Case {
        const char *bytes;
        int key;
        int leftOver;
        size_t taken; // bytes the key is made of
    } cases[] = {
        {"\x1b", 27, -1, 1},               // Esc alone
        {"\x1b[Az", extended, -1, 3},      // arrow
        {"\x1bOPz", extended, -1, 3},      // F1
        {"\x1b[1~z", extended, -1, 4},     // Home
        {"\x1b[15;5~z", extended, -1, 7},  // Ctrl+F5
        {"\x1b[[Az", extended, -1, 4},     // F1 on the Linux console
        {"\x1b\x1b[A", 27, 27, 2},         // Esc twice: the second is the next key
        {"\x1bxz", extended, -1, 2},       // Alt+x
        {"\x1b[1\x1b[B", extended, 27, 4}, // a cut sequence, then the next
        {"\xd0\x96z", 0xD0, -1, 2},        // a UTF-8 letter
        {"\xd0z", 0xD0, 'z', 2},           // a lead byte without its rest
        {"xz", 'x', -1, 1},
    };
    for (const Case &c : cases) {
        Bytes bytes = {c.bytes + 1, 0};
        const DecodedKey decoded =
            decodeKey(static_cast<unsigned char>(c.bytes[0]), nextByte, &bytes);
        EXPECT_EQ(decoded.key, c.key) << c.bytes + 1;
        EXPECT_EQ(decoded.leftOver, c.leftOver) << c.bytes + 1;
        EXPECT_EQ(bytes.at + 1, c.taken) << c.bytes + 1;
    }
}

#endif

} // namespace
