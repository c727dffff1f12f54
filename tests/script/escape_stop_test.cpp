// Escape ends a runaway script: the run fails with "stopped" and the layer keeps
// whatever the script had not flushed. Escape is pressed before the run starts, so
// the first look at the key sees it; nothing here depends on timing.
#include <chrono>
#include <thread>

#include "platform/platform.h"
#include "script/lua_host.h"
#include "script/script_fixture.h"

namespace {

class EscapeStopTest : public ScriptTest, public testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        ScriptTest::SetUp();
        while (dro::platform::escapePressed()) {
        }
        dro::testhooks::useFastPixelFunctions(GetParam());
        openImage(4, 3, randomRGBA32(4, 3, 9));
        before_ = layerPixels(1, 4, 3);
    }

    void expectStopped() {
        ASSERT_EQ(messages().size(), 1u);
        EXPECT_EQ(messages()[0].text, "stopped");
        EXPECT_EQ(messages()[0].caption, "Lua Script Error");
        EXPECT_EQ(layerPixels(1, 4, 3), before_);
        EXPECT_FALSE(dro::platform::escapePressed());  // the press was used up
    }

    std::vector<uint16_t> before_;
};

}  // namespace

TEST_P(EscapeStopTest, APixelLoopThatNeverEndsIsStopped) {
    dro::platform::pressEscape();
    run("set_value(0, 0, 1)\nwhile true do local v = get_value(1, 1); set_value(2, 2, v) end\n");
    expectStopped();
}

TEST_P(EscapeStopTest, AHostPressesEscapeFromItsOwnThreadWhileTheScriptRuns) {
    std::thread host([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        DRO_PressEscape();
    });
    run("set_value(0, 0, 1)\nwhile true do local v = get_value(1, 1); set_value(2, 2, v) end\n");
    host.join();
    expectStopped();
}

// A function already at the upvalue limit leaves no room for the loop's stop check:
// its chunk runs interpreted instead, where the instruction hook stops it.
TEST_P(EscapeStopTest, AnInterpretedLoopIsStoppedByTheInstructionHook) {
    dro::platform::pressEscape();
    std::string locals = "local u1 = 1", sum = "u1";
    for (int i = 2; i <= 60; ++i) {
        locals += " local u" + std::to_string(i) + " = " + std::to_string(i);
        sum += " + u" + std::to_string(i);
    }
    run("set_value(0, 0, 1)\n" + locals + "\nlocal function f()\n  local n = 0\n  while true do n = n + " + sum +
        " end\nend\nf()\n");
    expectStopped();
}

TEST_P(EscapeStopTest, CatchingTheErrorDoesNotKeepTheScriptGoing) {
    dro::platform::pressEscape();
    run("set_value(0, 0, 1)\n"
        "while true do pcall(function() while true do get_value(0, 0) end end) end\n");
    expectStopped();
}

TEST_P(EscapeStopTest, AScriptThatSwallowsTheStopAndEndsStillFails) {
    dro::platform::pressEscape();
    run("set_value(0, 0, 1)\npcall(function() while true do get_rgb(0, 0) end end)\n");
    expectStopped();
}

TEST_P(EscapeStopTest, WithoutEscapeTheScriptRunsToItsEnd) {
    run("for i = 1, 200000 do set_value(i % width, 0, 1) end\n");
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(layer32(4, 3)[0], 255);
}

TEST_P(EscapeStopTest, IsEscapeSeesAPressOnceAndTheScriptCanEndCleanly) {
    dro::platform::pressEscape();
    run(reporter() + "report(is_escape(), is_escape())\nset_value(0, 0, 1)\n");
    EXPECT_EQ(reportLines(), std::vector<std::string>{"1\t0"});
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(layer32(4, 3)[0], 255);
}

TEST_P(EscapeStopTest, TheNextRunIsNotStoppedByAnOldPress) {
    dro::platform::pressEscape();
    run("while true do get_value(0, 0) end\n");
    expectStopped();
    run("set_value(0, 0, 1)\nfor i = 1, 100000 do get_value(0, 0) end\n");
    EXPECT_EQ(messages().size(), 1u);
    EXPECT_EQ(layer32(4, 3)[0], 255);
}

INSTANTIATE_TEST_SUITE_P(PlainAndFast, EscapeStopTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Fast" : "Plain"; });
