// demo_sensors in monitor mode on a real terminal (a pseudo-terminal): keys
// are read raw, the screen is cleared, and the terminal's settings come back
// however the program ends.
#include <gtest/gtest.h>

#if !defined(_WIN32)

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <string>

#include "temp_directory.h"

namespace {

const char *const kHint = "Esc... ";
const char *const kClosingPrompt = " . . . "; // the terminal turns \n into \r\n

std::filesystem::path programBesideTests() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path() / "demo_sensors";
}

class MonitorOnTerminal : public InTempDirectory {
protected:
    void SetUp() override {
        InTempDirectory::SetUp();
        program_ = programBesideTests();
        if (!std::filesystem::exists(program_)) {
            GTEST_SKIP() << "demo_sensors is not built beside the tests";
        }
        write("demo_sensors.ini", "[Option]\nIsMon=1\n");
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(master_, 0);
        ASSERT_EQ(grantpt(master_), 0);
        ASSERT_EQ(unlockpt(master_), 0);
        slaveName_ = ptsname(master_);
        // Held open by the test so that the settings can be read after the
        // program has gone.
        slave_ = open(slaveName_.c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(slave_, 0);
        struct termios settings;
        ASSERT_EQ(tcgetattr(slave_, &settings), 0);
        settings.c_lflag |= ICANON | ECHO | ISIG;
        ASSERT_EQ(tcsetattr(slave_, TCSANOW, &settings), 0);
    }
    void TearDown() override {
        if (child_ > 0) {
            kill(child_, SIGKILL);
            waitpid(child_, nullptr, 0);
        }
        if (slave_ >= 0) {
            close(slave_);
        }
        if (master_ >= 0) {
            close(master_);
        }
        InTempDirectory::TearDown();
    }

    // Starts demo_sensors with the terminal as its controlling terminal and
    // its standard streams.
    void launch() {
        child_ = fork();
        ASSERT_GE(child_, 0);
        if (child_ == 0) {
            setsid();
            const int terminal = open(slaveName_.c_str(), O_RDWR);
            if (terminal < 0) {
                _exit(126);
            }
            dup2(terminal, STDIN_FILENO);
            dup2(terminal, STDOUT_FILENO);
            dup2(terminal, STDERR_FILENO);
            execl(program_.c_str(), "demo_sensors", static_cast<char *>(nullptr));
            _exit(127);
        }
    }

    // Collects the program's output until it holds `text` counted `times`
    // times, for at most ten seconds.
    bool waitForOutput(const std::string &text, int times = 1) {
        const time_t deadline = time(nullptr) + 10;
        while (time(nullptr) < deadline) {
            if (occurrences(text) >= times) {
                return true;
            }
            struct pollfd ready = {master_, POLLIN, 0};
            if (poll(&ready, 1, 200) > 0) {
                char chunk[512];
                const ssize_t got = read(master_, chunk, sizeof chunk);
                if (got <= 0) {
                    break;
                }
                output_.append(chunk, static_cast<size_t>(got));
            }
        }
        return occurrences(text) >= times;
    }

    int occurrences(const std::string &text) const {
        int count = 0;
        for (size_t at = output_.find(text); at != std::string::npos;
             at = output_.find(text, at + 1)) {
            ++count;
        }
        return count;
    }

    void type(const char *keys) {
        ASSERT_EQ(::write(master_, keys, strlen(keys)), static_cast<ssize_t>(strlen(keys)));
    }

    int waitForEnd() {
        int status = 0;
        EXPECT_EQ(waitpid(child_, &status, 0), child_);
        child_ = 0;
        return status;
    }

    tcflag_t localModes() {
        struct termios settings;
        EXPECT_EQ(tcgetattr(slave_, &settings), 0);
        return settings.c_lflag & (ICANON | ECHO | ISIG);
    }

    std::filesystem::path program_;
    std::string slaveName_;
    int master_ = -1;
    int slave_ = -1;
    pid_t child_ = 0;
    std::string output_;
};

TEST_F(MonitorOnTerminal, ReadsKeysRawClearsTheScreenAndEndsOnEsc) {
    launch();
    // Key mode starts with the first key test, after the first pass.
    ASSERT_TRUE(waitForOutput(kHint, 2));
    EXPECT_EQ(localModes(), static_cast<tcflag_t>(ISIG)); // no echo, no line editing
    EXPECT_NE(output_.find("\x1b[H\x1b[2J"), std::string::npos);
    type("x");
    ASSERT_TRUE(waitForOutput(kHint, 4)); // x was swallowed: the loop went on
    type("\x1b");
    ASSERT_TRUE(waitForOutput(kClosingPrompt));
    type("k");
    const int status = waitForEnd();
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(localModes(), static_cast<tcflag_t>(ICANON | ECHO | ISIG));
}

// A terminal left without echo after the program was killed.
TEST_F(MonitorOnTerminal, TerminationSignalRestoresTheTerminal) {
    launch();
    ASSERT_TRUE(waitForOutput(kHint, 2));
    ASSERT_EQ(localModes(), static_cast<tcflag_t>(ISIG));
    kill(child_, SIGTERM);
    const int status = waitForEnd();
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
    EXPECT_EQ(localModes(), static_cast<tcflag_t>(ICANON | ECHO | ISIG));
}

// A terminal left without echo after Ctrl+C.
TEST_F(MonitorOnTerminal, CtrlCRestoresTheTerminal) {
    launch();
    ASSERT_TRUE(waitForOutput(kHint, 2));
    ASSERT_EQ(localModes(), static_cast<tcflag_t>(ISIG));
    type("\x03");
    const int status = waitForEnd();
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGINT);
    EXPECT_EQ(localModes(), static_cast<tcflag_t>(ICANON | ECHO | ISIG));
}

} // namespace

#endif
