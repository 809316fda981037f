#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Version.h"

namespace fennix {
namespace {

TEST(Version, TheLineNamesTheProgramAndItsVersion) {
    EXPECT_FALSE(std::string(ProgramVersion()).empty());
    EXPECT_EQ(VersionLine("fennix"), std::string("fennix ") + ProgramVersion());
}

// --version anywhere among the options asks for it; after "--" it is a
// file name, and no other spelling counts.
TEST(Version, OnlyTheOptionItselfAsksForTheVersion) {
    const struct {
        std::vector<const char*> arguments;
        bool asks;
    } cases[] = {
        {{}, false},
        {{"--version"}, true},
        {{"p.mph", "--version"}, true},
        {{"--version", "p.mph"}, true},
        {{"--", "--version"}, false},
        {{"-version"}, false},
        {{"--Version"}, false},
        {{"--version=1"}, false},
        {{"-v"}, false},
        {{"version"}, false},
    };
    for (const auto& c : cases) {
        std::vector<const char*> argv = {"fennix"};
        argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
        std::string shown;
        for (const char* a : c.arguments) shown += std::string(a) + " ";
        SCOPED_TRACE(shown);
        EXPECT_EQ(AsksForVersion(static_cast<int>(argv.size()), argv.data()), c.asks);
    }
}

}  // namespace
}  // namespace fennix
