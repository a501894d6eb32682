// The report and export writer: buffering, locking, truncation and failures.
#include "platform/OutputFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using platform::OutputFile;

class OutputFileTest : public ::testing::Test {
protected:
    OutputFileTest() {
        std::string pattern = std::filesystem::temp_directory_path() / "outputfile-XXXXXX";
        if (mkdtemp(pattern.data()))
            dir = pattern;
        path = dir + "/out.txt";
    }
    ~OutputFileTest() override { std::filesystem::remove_all(dir); }

    static std::string Read(const std::string& name) {
        std::ifstream in(name, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    static void Write(const std::string& name, const std::string& text) {
        std::ofstream(name, std::ios::binary) << text;
    }

    std::string dir;
    std::string path;
};

TEST_F(OutputFileTest, PiecesOfEverySizeArriveInOrder) {
    // Small pieces across the buffer's edge, a piece of exactly the buffer's
    // size, one larger than it, and small pieces again.
    std::string expected;
    OutputFile file;
    ASSERT_TRUE(file.Open(path));
    for (int i = 0; i < 10000; ++i) {
        std::string piece = std::to_string(i) + ",";
        expected += piece;
        ASSERT_TRUE(file.Write(piece));
    }
    for (size_t size : {OutputFile::BufferSize, OutputFile::BufferSize * 3 + 7, size_t{1}}) {
        std::string piece(size, static_cast<char>('a' + size % 26));
        expected += piece;
        ASSERT_TRUE(file.Write(piece));
    }
    ASSERT_TRUE(file.Write("end"));
    expected += "end";
    EXPECT_TRUE(file.Close());
    EXPECT_FALSE(file.HasFailed());
    EXPECT_EQ(Read(path), expected);
}

TEST_F(OutputFileTest, ExistingFileIsTruncated) {
    Write(path, std::string(1000, 'x'));
    OutputFile file;
    ASSERT_TRUE(file.Open(path));
    file.Write("new");
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(Read(path), "new");
}

TEST_F(OutputFileTest, LockedFileIsNeitherOpenedNorTruncated) {
    Write(path, "someone else's");
    // Locks belong to open file descriptions, so a second open conflicts even
    // within this process, just as another process would.
    int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_EQ(flock(fd, LOCK_EX), 0);
    OutputFile file;
    EXPECT_FALSE(file.Open(path));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.ErrorText().rfind("flock(" + path + "): ", 0), 0u) << file.ErrorText();
    EXPECT_EQ(Read(path), "someone else's");
    close(fd);
}

TEST_F(OutputFileTest, LockIsHeldUntilClose) {
    OutputFile first, second;
    ASSERT_TRUE(first.Open(path));
    EXPECT_FALSE(second.Open(path));
    EXPECT_TRUE(first.Close());
    EXPECT_TRUE(second.Open(path));
}

TEST_F(OutputFileTest, DevicesAreSharedAndNotTruncated) {
    OutputFile first, second;
    ASSERT_TRUE(first.Open("/dev/null"));
    ASSERT_TRUE(second.Open("/dev/null"));
    EXPECT_TRUE(first.Write("x"));
    EXPECT_TRUE(first.Close());
    EXPECT_TRUE(second.Close());
}

TEST_F(OutputFileTest, FailedFlushMakesCloseFail) {
    OutputFile file;
    ASSERT_TRUE(file.Open("/dev/full"));
    EXPECT_TRUE(file.Write("fits in the buffer"));
    EXPECT_FALSE(file.Close());
    EXPECT_TRUE(file.HasFailed());
    EXPECT_EQ(file.ErrorText().rfind("write(/dev/full): ", 0), 0u) << file.ErrorText();
}

TEST_F(OutputFileTest, WritesAfterAFailureAreDropped) {
    OutputFile file;
    ASSERT_TRUE(file.Open("/dev/full"));
    EXPECT_FALSE(file.Write(std::string(OutputFile::BufferSize * 2, 'x')));
    EXPECT_FALSE(file.Write("more"));
    EXPECT_FALSE(file.Close());
}

TEST_F(OutputFileTest, MissingFolderFailsToOpen) {
    OutputFile file;
    EXPECT_FALSE(file.Open(dir + "/missing/out.txt"));
    EXPECT_EQ(file.ErrorText().rfind("open(", 0), 0u) << file.ErrorText();
    EXPECT_FALSE(file.Write("x"));
    EXPECT_FALSE(file.Close());
}

}  // namespace
