// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The token file of the server and the remote library: one secret line of
// at least 128 bits, refused when it holds none, cannot be read, is no file
// on disk (without waiting), or others may read it or replace it.
#include <gtest/gtest.h>

#include <string>

#include "../temp_directory.h"
#include "authentication.h"

#ifdef _WIN32
#include <windows.h>

#include <sddl.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// 128 bits in hexadecimal, the shortest token taken.
const char kGoodToken[] = "0123456789abcdef0123456789abcdef";

class TokenFile : public InTempDirectory {
protected:
#ifndef _WIN32
    // The tokens' folder is private whatever the umask, as a user's should be.
    void SetUp() override {
        InTempDirectory::SetUp();
        chmod(".", 0700);
    }
#endif
    // Written private whatever the umask: the tests must not depend on it.
    static void writePrivate(const char *name, const std::string &text) {
        write(name, text);
#ifdef _WIN32
        // An access list of its own that lets only the owner in.
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(
            "D:P(A;;FA;;;OW)", SDDL_REVISION_1, &descriptor, nullptr));
        EXPECT_TRUE(SetFileSecurityA(name, DACL_SECURITY_INFORMATION, descriptor));
        LocalFree(descriptor);
#else
        chmod(name, 0600);
#endif
    }
};

TEST_F(TokenFile, TheLineWithoutSurroundingWhiteSpaceIsTheToken) {
    writePrivate("token", "  \t3f9a secret of 22 chars\r\n\n");
    std::string token;
    std::string problem;
    ASSERT_TRUE(proto::readTokenFile("token", &token, &problem)) << problem;
    EXPECT_EQ(token, "3f9a secret of 22 chars");
}

// Guards against a token short enough to be found offline from one
// captured exchange.
TEST_F(TokenFile, ATokenShorterThan128BitsIsRefused) {
    std::string token;
    std::string problem;
    const std::string hexadecimal = kGoodToken;
    for (const std::string &text : {hexadecimal.substr(1), std::string("base64+/base64+/base6")}) {
        writePrivate("token", text + "\n");
        EXPECT_FALSE(proto::readTokenFile("token", &token, &problem)) << text;
        EXPECT_NE(problem.find("shorter than 128 bits"), std::string::npos) << problem;
        EXPECT_NE(problem.find("openssl rand -hex 32"), std::string::npos) << problem;
    }
    for (const std::string &text : {hexadecimal, std::string("base64+/base64+/base64")}) {
        writePrivate("token", text + "\n");
        EXPECT_TRUE(proto::readTokenFile("token", &token, &problem)) << problem;
    }
}

TEST_F(TokenFile, EmptyMissingOrManyLinedFilesAreRefused) {
    writePrivate("blank", " \r\n\t\n");
    writePrivate("two", "first\nsecond\n");
    std::string token;
    std::string problem;
    EXPECT_FALSE(proto::readTokenFile("blank", &token, &problem));
    EXPECT_NE(problem.find("holds no token"), std::string::npos) << problem;
    EXPECT_FALSE(proto::readTokenFile("two", &token, &problem));
    EXPECT_NE(problem.find("more than one line"), std::string::npos) << problem;
    EXPECT_TRUE(token.empty()) << "a refused file left its bytes behind";
    EXPECT_FALSE(proto::readTokenFile("no-such-token", &token, &problem));
    EXPECT_NE(problem.find("cannot read the token file 'no-such-token'"), std::string::npos)
        << problem;
}

#ifdef _WIN32
// Guards against a token that every user of the host may read being used.
TEST_F(TokenFile, AFileOthersMayReadOrWriteIsRefused) {
    std::string token;
    std::string problem;
    // Everyone may read (Wine keeps an access list as the file's mode, so
    // only what a mode can say is tried).
    for (const char *list : {"D:P(A;;FA;;;OW)(A;;FR;;;WD)"}) {
        writePrivate("token", "secret\n");
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(list, SDDL_REVISION_1,
                                                                         &descriptor, nullptr));
        EXPECT_TRUE(SetFileSecurityA("token", DACL_SECURITY_INFORMATION, descriptor));
        LocalFree(descriptor);
        EXPECT_FALSE(proto::readTokenFile("token", &token, &problem)) << list;
        EXPECT_NE(problem.find("open to others than its owner"), std::string::npos) << problem;
    }
}
#else
// Guards against a token that every user of the host may read being used.
TEST_F(TokenFile, AFileOthersMayReadOrWriteIsRefused) {
    std::string token;
    std::string problem;
    for (const mode_t mode : {0640, 0604, 0620, 0602}) {
        writePrivate("token", "secret\n");
        chmod("token", mode);
        EXPECT_FALSE(proto::readTokenFile("token", &token, &problem)) << std::oct << mode;
        EXPECT_NE(problem.find("open to others than its owner"), std::string::npos) << problem;
    }
    writePrivate("token", kGoodToken);
    chmod("token", 0400);
    EXPECT_TRUE(proto::readTokenFile("token", &token, &problem)) << problem;
}

// Guards against a file that another user may put in the token's place.
TEST_F(TokenFile, AFileOfAnotherUserOrInAFolderOthersMayWriteIsRefused) {
    writePrivate("token", kGoodToken);
    std::string token;
    std::string problem;
    chmod(".", 0770);
    EXPECT_FALSE(proto::readTokenFile("token", &token, &problem));
    EXPECT_NE(problem.find("in a folder that others may write"), std::string::npos) << problem;
    // A sticky folder (/tmp) keeps others from replacing a file they do not own.
    chmod(".", 01777);
    EXPECT_TRUE(proto::readTokenFile("token", &token, &problem)) << problem;
    chmod(".", 0700);
    if (geteuid() == 0) { // only root can give a file away
        ASSERT_EQ(chown("token", 65534, 65534), 0);
        EXPECT_FALSE(proto::readTokenFile("token", &token, &problem));
        EXPECT_NE(problem.find("belongs to another user"), std::string::npos) << problem;
    }
}

// Guards against a FIFO, whose opening waits for a writer, hanging the
// server before it listens and the remote library in its first call.
TEST_F(TokenFile, AFifoIsRefusedWithoutWaiting) {
    ASSERT_EQ(mkfifo("fifo", 0600), 0);
    std::string token;
    std::string problem;
    alarm(20); // a wait ends the test program, failing it
    EXPECT_FALSE(proto::readTokenFile("fifo", &token, &problem));
    alarm(0);
    EXPECT_NE(problem.find("is a FIFO, socket or device"), std::string::npos) << problem;
}

// A script pipes the token to the server: "-" reads standard input.
TEST_F(TokenFile, DashReadsTheTokenFromStandardInput) {
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    const std::string line = std::string(kGoodToken) + "\n";
    ASSERT_EQ(::write(pipeEnds[1], line.data(), line.size()), static_cast<ssize_t>(line.size()));
    close(pipeEnds[1]);
    const int savedInput = dup(0);
    dup2(pipeEnds[0], 0);
    close(pipeEnds[0]);
    std::string token;
    std::string problem;
    const bool read = proto::readTokenFile("-", &token, &problem);
    dup2(savedInput, 0);
    close(savedInput);
    clearerr(stdin);
    EXPECT_TRUE(read) << problem;
    EXPECT_EQ(token, kGoodToken);
}
#endif

} // namespace
