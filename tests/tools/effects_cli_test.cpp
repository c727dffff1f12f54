// The effect list of the command line comes from the engine's table: the effects page
// matches it, and filter refuses what the engine does not run.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/cli_run.h"
#include "support/engine_fixture.h"
#include "support/scratch_dir.h"

namespace {

TEST(EffectsCli, TheEffectsPageIsUpToDate) {
    const CliRun run = runDrovane("effects --markdown");
    ASSERT_EQ(run.status, 0) << run.output;
    std::ifstream page(std::string(DROVANE_EXAMPLES_DIR) + "/../docs/effects.md");
    std::stringstream stored;
    stored << page.rdbuf();
    EXPECT_TRUE(stored.str() == run.output)
        << "docs/effects.md is stale: regenerate it with drovane effects --markdown > docs/effects.md";
}

TEST(EffectsCli, ListsBuiltEffectsAndEveryNameWithAll) {
    const CliRun built = runDrovane("effects");
    const CliRun all = runDrovane("effects --all");
    ASSERT_EQ(built.status, 0);
    EXPECT_NE(built.output.find("Gaussian Blur\tBlurs\t"), std::string::npos);
    EXPECT_EQ(built.output.find("not built"), std::string::npos);
    EXPECT_EQ(lineCount(all.output), 188);
}

class EffectsFilterCli : public EngineTest {
protected:
    ScratchDir scratch_{"drovane_effects_cli"};
};

TEST_F(EffectsFilterCli, RunsBuiltEffectsAndRefusesTheOthers) {
    const std::string in = scratch_.path("d.png"), out = scratch_.path("o.png");
    ASSERT_EQ(runDrovane("demo " + in).status, 0);
    EXPECT_EQ(runDrovane("filter \"Gaussian Blur\" --slider1 100 " + in + " " + out).status, 0);
    EXPECT_TRUE(std::filesystem::exists(out));

    // The first name the engine knows but does not run yet, while there is one.
    const std::string all = runDrovane("effects --all").output;
    const size_t mark = all.find("\tnot built\t");
    if (mark != std::string::npos) {
        const size_t start = all.rfind('\n', mark) == std::string::npos ? 0 : all.rfind('\n', mark) + 1;
        const std::string name = all.substr(start, all.find('\t', start) - start);
        const CliRun notBuilt = runDrovane("filter \"" + name + "\" " + in + " " + scratch_.path("g.png"));
        EXPECT_EQ(notBuilt.status, 1);
        EXPECT_NE(notBuilt.output.find("does not run '" + name + "'"), std::string::npos) << notBuilt.output;
        EXPECT_FALSE(std::filesystem::exists(scratch_.path("g.png")));
    }
    EXPECT_EQ(runDrovane("filter \"No Such\" " + in + " " + out).status, 2);
}

}  // namespace
