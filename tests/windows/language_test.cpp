// The language's own name, as the user's locale gives it (ctest sets a German one).
#include <gtest/gtest.h>

#include "platform/system.h"

namespace {

TEST(LanguageTest, AGermanUserGetsDeutsch) {
    EXPECT_EQ(platform::userLanguageName(), "Deutsch");
}

}  // namespace
