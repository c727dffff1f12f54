// The reasons a host reads after a file read fails or recovers only part of a picture.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/engine_fixture.h"
#include "support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;

class FileMessageTest : public EngineTest {
protected:
    std::string path(const std::string& name) const { return scratch_.path(name); }

    void put(const std::string& name, const std::vector<uint8_t>& bytes) const {
        std::ofstream(path(name), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                           static_cast<std::streamsize>(bytes.size()));
    }

    std::vector<uint8_t> bytesOf(const std::string& name) const {
        std::ifstream in(path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    // Reads the file and returns the message; a read that succeeded is marked "+".
    std::string readMessage(const std::string& name) const {
        const int read = DRO_ReadFromFile(path(name).c_str());
        return (read ? "+" : "") + std::string(DRO_GetFileMessage());
    }

    ScratchDir scratch_{"drovane_file_message"};
};

// A BMP header announcing w x h pixels, with no pixel data behind it.
std::vector<uint8_t> bmpHeader(int32_t w, int32_t h) {
    std::vector<uint8_t> b(54, 0);
    auto le32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    le32(2, 54);
    le32(10, 54);
    le32(14, 40);
    le32(18, static_cast<uint32_t>(w));
    le32(22, static_cast<uint32_t>(h));
    b[26] = 1;
    b[28] = 24;
    return b;
}

TEST_F(FileMessageTest, FailedReadsSayWhy) {
    fs::create_directories(path("folder.png"));
    put("empty.png", {});
    put("words.png", {'h', 'e', 'l', 'l', 'o', '\n'});
    put("huge.bmp", bmpHeader(3000000, 2));
    const auto rgba = randomRGBA32(64, 64, 9);
    ASSERT_NE(DRO_WriteToFileRGBA32(rgba.data(), 64, 64, path("whole.png").c_str(), ".png", 72), 0);
    auto cut = bytesOf("whole.png");
    cut.resize(cut.size() / 2);
    put("cut.png", cut);

    EXPECT_EQ(readMessage("missing.png"), "not found");
    EXPECT_EQ(readMessage("folder.png"), "it is a folder");
    EXPECT_EQ(readMessage("empty.png"), "the file is empty");
    EXPECT_EQ(readMessage("words.png").rfind("unknown format", 0), 0u);
    const std::string huge = readMessage("huge.bmp");
    EXPECT_NE(huge.find("3000000 x 2"), std::string::npos) << huge;
    EXPECT_NE(huge.find("1048576"), std::string::npos) << huge;
    const std::string truncated = readMessage("cut.png");
    EXPECT_EQ(truncated.rfind("corrupt or truncated PNG", 0), 0u) << truncated;
    EXPECT_NE(truncated.find(std::to_string(cut.size())), std::string::npos) << truncated;

    // A clean read clears the last message; the size-checked reads say what they found.
    EXPECT_EQ(readMessage("whole.png"), "+");
    std::vector<uint8_t> destination(65 * 64 * 4);
    EXPECT_EQ(DRO_ReadFromFileRGBA32(destination.data(), 65, 64, path("whole.png").c_str()), 0);
    EXPECT_STREQ(DRO_GetFileMessage(), "the picture is 64 x 64, not the 65 x 64 expected");
}

TEST_F(FileMessageTest, ATruncatedJpegKeepsWhatWasDecodedAndSaysWhereItEnds) {
    const int w = 64, h = 96;
    std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3);
    for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<uint8_t>(i * 7 % 251);
    ASSERT_NE(DRO_WriteToFileRGB24(rgb.data(), w, h, path("whole.jpg").c_str(), ".jpg", 72), 0);
    auto cut = bytesOf("whole.jpg");
    cut.resize(cut.size() / 2);
    put("cut.jpg", cut);

    const std::string message = readMessage("cut.jpg");
    EXPECT_EQ(message.rfind("+truncated", 0), 0u) << message;
    const size_t row = message.find("row ");
    ASSERT_NE(row, std::string::npos) << message;
    const int missingFrom = std::stoi(message.substr(row + 4));
    EXPECT_GT(missingFrom, 0);
    EXPECT_LT(missingFrom, h);
    // Below the named row the picture is the decoder's grey fill.
    std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4);
    DRO_GetNewRGBA32(rgba.data());
    const uint8_t* last = &rgba[(static_cast<size_t>(h - 1) * w) * 4];
    EXPECT_NEAR(last[0], 128, 2);
    EXPECT_EQ(readMessage("whole.jpg"), "+");
}

}  // namespace
