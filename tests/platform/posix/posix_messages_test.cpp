// Without a host hook, a script's message box goes to standard error here (Windows shows
// the system's modal box instead).
#include "script/script_fixture.h"

namespace {

using PosixMessagesTest = ScriptTest;

TEST_F(PosixMessagesTest, AScriptsMessageBoxFallsBackToStderr) {
    openImage(1, 1, randomRGBA32(1, 1, 5));
    DRO_SetMessageCallback(nullptr, nullptr);
    testing::internal::CaptureStderr();
    run("message_box('to stderr', 'Box')\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Box: to stderr\n");
}

}  // namespace
