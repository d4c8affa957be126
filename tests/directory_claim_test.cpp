// The run's claim on its directory through the services: one holder at a
// time, the lock file gone once given up, a claim that cannot be made
// refused with its code recorded.
#include "services/directory_claim.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/directory_claim.h"
#include "services/run_time_errors.h"
#include "test_support.h"

namespace {

TEST(DirectoryClaim, OneHolderAndNothingLeft) {
    ketrav::testing::ScratchDirectory scratch;
    ketrav::platform::OsHandle other_run;
    ASSERT_TRUE(ketrav::platform::claim_current_directory("run.lck", other_run).ok);
    EXPECT_FALSE(ketrav::services::claim_directory("run.lck"));
    EXPECT_NE(ketrav::services::last_error(), 0);
    ketrav::platform::release_directory_claim(other_run);

    ASSERT_TRUE(ketrav::services::claim_directory("run.lck"));
    EXPECT_TRUE(ketrav::testing::exists("run.lck"));
    ketrav::services::release_directory();
    EXPECT_FALSE(ketrav::testing::exists("run.lck"));
    ketrav::services::release_directory();  // none held: nothing happens

    // A directory where the lock file should be: no claim.
    std::filesystem::create_directory("run.lck");
    EXPECT_FALSE(ketrav::services::claim_directory("run.lck"));
    EXPECT_TRUE(std::filesystem::is_directory("run.lck"));
}

}  // namespace
