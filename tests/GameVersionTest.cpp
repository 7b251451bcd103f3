#include "install/GameVersion.h"

#include <gtest/gtest.h>

// A mod's GameVersion against a 1.13d game: a name without its letter means every letter of its
// patch, and a name the installer doesn't know is left out, never a reason to refuse the game.
TEST(GameVersion, AModIsMadeForTheGameWhenAKnownNameMeansItsPatch)
{
    const GameVersion game{"1.13d", "Lord of Destruction", true};
    const struct {
        const char* listed;
        bool madeFor;
    } cases[] = {
        {"1.13", true},          {"1.13c;1.13D", true}, {"1.10 1.14", false}, {"1.13c, 1.14d", false},
        {"1.13x, 1.14d", false}, {"1.13x", true},       {"1.1 1.3", true},    {"1.13d\t1.14d", true},
    };
    for (const auto& mod : cases)
        EXPECT_EQ(MadeFor(ListedPatches(mod.listed), game), mod.madeFor) << mod.listed;
    EXPECT_TRUE(MadeFor(ListedPatches("1.10"), {"1.10f", "", true}));
}
