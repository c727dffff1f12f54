// Writing over files the user already has: links, modes, refusals, and nothing left
// behind when a write fails or the process is ended.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#if __has_include(<sys/wait.h>)  // POSIX: the replacement's clean-up on a fatal signal
#include <sys/wait.h>
#include <unistd.h>
#define DROVANE_HAS_FORK 1
#endif

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "platform/file_replacement.h"
#include "support/engine_fixture.h"
#include "support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;

class SafeWriteTest : public EngineTest {
protected:
    std::string path(const std::string& name) const { return scratch_.path(name); }

    std::set<std::string> entries() const {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(fs::path(path("")))) names.insert(e.path().filename().string());
        return names;
    }

    static std::string contentOf(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    static void put(const std::string& file, const std::string& text) { std::ofstream(file) << text; }

    // False where this process cannot make symbolic links (Windows without the right).
    static bool symlink(const std::string& target, const std::string& link) {
        std::error_code error;
        fs::create_symlink(target, link, error);
        return !error;
    }

    int writePng(const std::string& file) {
        return DRO_WriteToFileRGBA32(pixels_.data(), 4, 3, file.c_str(), ".png", 72);
    }

    std::vector<uint8_t> pixels_ = randomRGBA32(4, 3, 5);
    ScratchDir scratch_{"drovane_safe_write"};
};

TEST_F(SafeWriteTest, PredictableTemporaryNamesAreNeitherFollowedNorDestroyed) {
    if (!symlink(path("victim"), path("out.png.partial"))) GTEST_SKIP() << "no symbolic links here";
    put(path("other.png.partial"), "keep me");
    ASSERT_NE(writePng(path("out.png")), 0);
    ASSERT_NE(writePng(path("other.png")), 0);
    EXPECT_FALSE(fs::exists(path("victim")));
    EXPECT_TRUE(fs::is_symlink(path("out.png.partial")));
    EXPECT_EQ(contentOf(path("other.png.partial")), "keep me");
    EXPECT_EQ(entries(), (std::set<std::string>{"out.png", "out.png.partial", "other.png", "other.png.partial"}));
}

TEST_F(SafeWriteTest, LinksAreWrittenThroughAndModesKept) {
    fs::create_directories(path("real"));
    put(path("real/picture.png"), "old");
    ::chmod(path("real/picture.png").c_str(), 0640);
    if (!symlink("real/picture.png", path("link.png"))) GTEST_SKIP() << "no symbolic links here";
    ASSERT_TRUE(symlink("real/fresh.png", path("dangling.png")));

    ASSERT_NE(writePng(path("link.png")), 0);
    ASSERT_NE(writePng(path("dangling.png")), 0);
    EXPECT_TRUE(fs::is_symlink(path("link.png")));
    EXPECT_TRUE(fs::is_symlink(path("dangling.png")));
    EXPECT_NE(contentOf(path("real/picture.png")), "old");
    EXPECT_TRUE(fs::exists(path("real/fresh.png")));
    struct stat s {};
    ASSERT_EQ(::stat(path("real/picture.png").c_str(), &s), 0);
    EXPECT_EQ(s.st_mode & 07777, 0640u);
}

TEST_F(SafeWriteTest, DestinationsTheUserMayNotReplaceAreRefused) {
    put(path("locked.png"), "old");
    ::chmod(path("locked.png").c_str(), 0444);
    const int written = writePng(path("locked.png"));
    struct stat s {};
    ASSERT_EQ(::stat(path("locked.png").c_str(), &s), 0);
    if (::geteuid() == 0) {
        // The superuser may write anything, as in the shell; the mode still survives.
        EXPECT_NE(written, 0);
    } else {
        EXPECT_EQ(written, 0);
        EXPECT_EQ(contentOf(path("locked.png")), "old");
        EXPECT_NE(std::string(DRO_GetFileMessage()).find("permission denied"), std::string::npos);
    }
    EXPECT_EQ(s.st_mode & 07777, 0444u);

    fs::create_directories(path("folder.png"));
    EXPECT_EQ(writePng(path("folder.png")), 0);
    EXPECT_STREQ(DRO_GetFileMessage(), "it is a folder");
    EXPECT_TRUE(fs::is_directory(path("folder.png")));
}

TEST_F(SafeWriteTest, AFailedWriteKeepsTheOldFileAndLeavesNothingBehind) {
    put(path("wide.jpg"), "old");
    // JPEG frames cannot hold this width: the encoder fails after the file was opened.
    std::vector<uint8_t> wide(70000 * 3);
    EXPECT_EQ(DRO_WriteToFileRGB24(wide.data(), 70000, 1, path("wide.jpg").c_str(), ".jpg", 72), 0);
    EXPECT_EQ(contentOf(path("wide.jpg")), "old");
    EXPECT_NE(std::string(DRO_GetFileMessage()), "");

    EXPECT_EQ(DRO_WriteToFileRGB24(wide.data(), 4, 3, path("x.xyz").c_str(), ".xyz", 72), 0);
    EXPECT_NE(std::string(DRO_GetFileMessage()).find("unknown extension '.xyz'"), std::string::npos);
    EXPECT_EQ(entries(), std::set<std::string>{"wide.jpg"});
}

#ifdef DROVANE_HAS_FORK
TEST_F(SafeWriteTest, TheTemporaryFileGoesWhenTheProcessIsEnded) {
    for (int signal : {SIGTERM, SIGINT}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            dro::platform::FileReplacement replacement(path("interrupted.png").c_str());
            std::fputs("half a picture", replacement.file());
            std::fflush(replacement.file());
            ::raise(signal);
            ::_exit(0);  // not reached: the signal's default action ends the process
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << signal;
        EXPECT_TRUE(entries().empty()) << signal;
    }
}
#endif

}  // namespace
