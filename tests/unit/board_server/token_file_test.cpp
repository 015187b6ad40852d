// The token file of the server and the remote library: one secret line,
// refused when it holds none, cannot be read, or others may read it.
#include <gtest/gtest.h>

#include <string>

#include "../temp_directory.h"
#include "authentication.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

class TokenFile : public InTempDirectory {
protected:
    // Written private whatever the umask: the tests must not depend on it.
    static void writePrivate(const char *name, const std::string &text) {
        write(name, text);
#ifndef _WIN32
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

#ifndef _WIN32
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
