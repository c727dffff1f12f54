#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "io/import_buffer.h"
#include "io/scanner.h"
#include "support/engine_fixture.h"

namespace {

// SANE's "test" backend alone, through a configuration folder of our own, so no real
// device or network scanner is probed. SANE reads the folder's name once per process,
// so one folder serves every test and lives until the last one ends.
class ScannerTest : public EngineTest {
protected:
    static void SetUpTestSuite() {
        configDir = (std::filesystem::path(::testing::TempDir()) / ("drovane_sane_" + std::to_string(::getpid())))
                        .string();
        std::filesystem::create_directories(configDir);
        std::ofstream(configDir + "/dll.conf") << "test\n";
        std::ofstream(configDir + "/test.conf") << "number_of_devices 1\nmode Color\ndepth 8\nresolution 50.0\n"
                                                   "test-picture \"Color pattern\"\ngeometry_min 0.0\n"
                                                   "geometry_max 200.0\ngeometry_quant 1.0\ntl_x 0.0\ntl_y 0.0\n"
                                                   "br_x 80.0\nbr_y 100.0\n";
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(configDir); }

    void SetUp() override {
        EngineTest::SetUp();
        const char* previous = std::getenv("SANE_CONFIG_DIR");
        saved = previous ? previous : "";
        hadValue = previous != nullptr;
        setenv("SANE_CONFIG_DIR", configDir.c_str(), 1);
        if (!dro::isScannerAvailable()) GTEST_SKIP() << "SANE's test backend is not installed";
    }
    void TearDown() override {
        if (hadValue) setenv("SANE_CONFIG_DIR", saved.c_str(), 1);
        else unsetenv("SANE_CONFIG_DIR");
        unsetenv("DROVANE_SCANNER");
        EngineTest::TearDown();
    }
    static inline std::string configDir;
    std::string saved;
    bool hadValue = false;
};

TEST_F(ScannerTest, AcquiresTheTestBackendsPictureIntoNewRgba) {
    EXPECT_EQ(dro::selectScannerSource(), 1);
    ASSERT_EQ(dro::acquireIntoNewRgba(), 1);
    const auto& picture = dro::importBuffer();
    ASSERT_GT(picture.width, 10);
    ASSERT_GT(picture.height, 10);
    ASSERT_EQ(picture.pixels.size(), static_cast<size_t>(picture.width) * picture.height * 4);
    bool coloured = false;
    for (size_t i = 0; i < picture.pixels.size(); i += 4) {
        ASSERT_EQ(picture.pixels[i + 3], 255);
        coloured |= picture.pixels[i] != picture.pixels[i + 1] || picture.pixels[i + 1] != picture.pixels[i + 2];
    }
    EXPECT_TRUE(coloured);  // the colour pattern came through as colour
}

TEST_F(ScannerTest, ANamedDeviceThatDoesNotExistIsNotSelected) {
    setenv("DROVANE_SCANNER", "no-such-device:0", 1);
    EXPECT_EQ(dro::selectScannerSource(), 0);
    setenv("DROVANE_SCANNER", "test:0", 1);
    EXPECT_EQ(dro::selectScannerSource(), 1);
}

}  // namespace
