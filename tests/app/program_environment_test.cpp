#include "app/program_environment.h"

#include <gtest/gtest.h>

namespace vq {
namespace {

TEST(ProgramEnvironment, KnowsTheExecutableAndItsArguments) {
    const auto path = ExecutablePath();
    EXPECT_EQ(path.stem(), "vq_tests");
    EXPECT_TRUE(std::filesystem::exists(path));
    // The test program is started without arguments or with GoogleTest's own.
    for (const auto& argument : ProgramArguments()) EXPECT_TRUE(argument.starts_with(u"--gtest"));
}

}  // namespace
}  // namespace vq
