// A fresh folder per test, removed afterwards. Named after the test and the process,
// because ctest runs the tests of one file in parallel processes, and two builds' suites
// may run at the same time on one machine.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

class ScratchDir {
public:
    explicit ScratchDir(const std::string& prefix)
        : dir_(std::filesystem::path(::testing::TempDir()) /
               (prefix + "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
                std::to_string(::getpid()))) {
        removeTree(dir_);  // left by an earlier run whose process had the same number
        std::filesystem::create_directories(dir_);
    }
    ~ScratchDir() { removeTree(dir_); }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string path(const std::string& name) const { return (dir_ / name).string(); }

private:
    // Windows refuses to delete read-only files that tests made: make everything
    // writable first. Never throws (the destructor uses it).
    static void removeTree(const std::filesystem::path& dir) noexcept {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir, ignored))
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(dir, ignored);
    }

    std::filesystem::path dir_;
};
