// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The token file of the server and the remote library: one secret line,
// refused when it holds none, cannot be read, or others may read it.
#include <gtest/gtest.h>

#include <string>

#include "../temp_directory.h"
#include "authentication.h"

#ifdef _WIN32
#include <windows.h>

#include <sddl.h>
#else
#include <sys/stat.h>
#endif

namespace {

class TokenFile : public InTempDirectory {
protected:
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
    writePrivate("token", "  \t3f9a secret\r\n\n");
    std::string token;
    std::string problem;
    ASSERT_TRUE(proto::readTokenFile("token", &token, &problem)) << problem;
    EXPECT_EQ(token, "3f9a secret");
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
    chmod("token", 0400);
    EXPECT_TRUE(proto::readTokenFile("token", &token, &problem)) << problem;
}
#endif

} // namespace
