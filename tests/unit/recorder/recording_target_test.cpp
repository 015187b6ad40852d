// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The recorder loaded as a program loads it, with KEL_RECORD naming files
// it must not write over. Each test loads its own copy of the recorder and
// of the simulated library, so that each starts its own session.
#include <gtest/gtest.h>

#include <stdint.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "../temp_directory.h"
#include "kel_api.h"
#include "library_loader.h"

namespace {

namespace fs = std::filesystem;

std::string contentOf(const fs::path &path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

const int32_t kRecordingUnusable = static_cast<int32_t>(0xC0000110u);

class RecorderTarget : public InTempDirectory {
protected:
    // Starts a session of a fresh recorder in front of a fresh simulated
    // library, recording to `record`; returns KEL_init's result, and the
    // recorder's standard error in *said.
    int32_t startSession(const fs::path &record, std::string *said) {
        fs::copy_file(KEL_TEST_RECORDER, recorder());
        fs::copy_file(KEL_TEST_SIMULATED, library());
        setenv("KEL_REAL_LIBRARY", library().c_str(), 1);
        setenv("KEL_RECORD", record.c_str(), 1);
        char reason[512];
        void *loaded = platLoadLibrary(recorder().c_str(), reason, sizeof reason);
        EXPECT_NE(loaded, nullptr) << reason;
        if (loaded == nullptr) {
            return 0;
        }
        const auto init =
            reinterpret_cast<decltype(&KEL_init)>(platLibraryFunction(loaded, "KEL_init"));
        int32_t count = 0;
        ::testing::internal::CaptureStderr();
        const int32_t result = init("none.ini", &count);
        *said = ::testing::internal::GetCapturedStderr();
        return result;
    }
    // A special file as KEL_RECORD: refused at the first call, never waited
    // on (a regression is ended by the alarm instead of hanging the suite).
    void expectRefusedAtOnce(const fs::path &target) {
        std::string said;
        alarm(60);
        EXPECT_EQ(startSession(target, &said), kRecordingUnusable);
        alarm(0);
        EXPECT_EQ(said, "KEL recorder: '" + target.string() +
                            "' is a FIFO, socket or device, which keeps no recording: name a "
                            "new file to record to\n");
    }
    fs::path recorder() const { return directory_ / "recorder" / "libKEL.so"; }
    fs::path library() const { return directory_ / "board" / "libKEL.so"; }
    void SetUp() override {
        InTempDirectory::SetUp();
        fs::create_directory(directory_ / "recorder");
        fs::create_directory(directory_ / "board");
    }
};

// Fault guarded: KEL_RECORD naming the board library truncated it while it
// was mapped: the program died with SIGBUS and the vendor's library was
// left a few lines of text.
TEST_F(RecorderTarget, TheBoardLibraryIsNeverRecordedOver) {
    fs::create_directory_symlink(directory_ / "board", directory_ / "alias");
    std::string said;
    // By another spelling of the same file: the identity counts, not the name.
    EXPECT_EQ(startSession(directory_ / "alias" / "libKEL.so", &said), kRecordingUnusable);
    EXPECT_EQ(contentOf(library()), contentOf(KEL_TEST_SIMULATED));
    EXPECT_EQ(said, "KEL recorder: KEL_RECORD names the board library or the recorder ('" +
                        (directory_ / "alias" / "libKEL.so").string() +
                        "'): name a new file to record to\n");
}

TEST_F(RecorderTarget, TheRecorderIsNeverRecordedOver) {
    std::string said;
    EXPECT_EQ(startSession(recorder(), &said), kRecordingUnusable);
    EXPECT_EQ(contentOf(recorder()), contentOf(KEL_TEST_RECORDER));
    EXPECT_NE(said.find("KEL_RECORD names the board library or the recorder"), std::string::npos);
}

// Fault guarded: any existing file was silently replaced by a recording.
TEST_F(RecorderTarget, OnlyARecordingIsWrittenOver) {
    write("notes.txt", "what the operator wrote\n");
    std::string said;
    EXPECT_EQ(startSession(directory_ / "notes.txt", &said), kRecordingUnusable);
    EXPECT_EQ(contentOf("notes.txt"), "what the operator wrote\n");
    EXPECT_EQ(said, "KEL recorder: '" + (directory_ / "notes.txt").string() +
                        "' exists and is not a recording: it is left as it is; name a new file "
                        "to record to, or remove it\n");
}

// Fault guarded: KEL_RECORD naming a FIFO held the program at its first
// call for ever, waiting for the FIFO's other end.
TEST_F(RecorderTarget, AFifoIsRefusedWithoutWaiting) {
    ASSERT_EQ(mkfifo((directory_ / "fifo").c_str(), 0600), 0);
    expectRefusedAtOnce(directory_ / "fifo");
}

TEST_F(RecorderTarget, ADeviceIsRefused) { expectRefusedAtOnce("/dev/null"); }

// A recording says what it is: program, command line, directory, recorder
// version, the library with its size, the system and the time.
TEST_F(RecorderTarget, AnOldRecordingIsReplacedByOneThatSaysWhatItIs) {
    write("session.kelrec", "KEL recording 1\ncall 1 KEL_cleanup\n  = 0x0\n");
    std::string said;
    EXPECT_EQ(startSession(directory_ / "session.kelrec", &said), 0);
    EXPECT_EQ(said, "");
    const std::string text = contentOf("session.kelrec");
    const std::string size = std::to_string(fs::file_size(library()));
    for (const std::string &line :
         {std::string("KEL recording 2\n# program: /"), std::string("\n# command line: "),
          "\n# working directory: " + directory_.string() + "\n",
          std::string("\n# recorder: kel-board-demos "),
          "\n# board library: " + library().string() + " (" + size + " bytes, changed 2",
          std::string("\n# system: "), std::string("\n# recorded: 2"),
          std::string(" UTC\ncall 1 KEL_init\n  configFile \"none.ini\"\n  count out-only\n")}) {
        EXPECT_NE(text.find(line), std::string::npos) << line << "\nin:\n" << text;
    }
}

} // namespace
