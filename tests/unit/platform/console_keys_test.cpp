// Keys from redirected standard input, as scripted runs and the tests give
// them. The reader keeps what it learnt about its input (a byte read ahead,
// the end reached) for the whole process, so one test walks through it all.
#include <gtest/gtest.h>

#include "console.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
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

} // namespace
