// The number rule and the password form of settings.ini.
#include <gtest/gtest.h>

#include "settings/numbers.h"
#include "settings/password.h"

namespace korvo {
namespace {

TEST(ParseIntegerTest, ExamplesAndBases) {
    EXPECT_EQ(parseInteger(""), 0);
    EXPECT_EQ(parseInteger("  42abc"), 42);
    EXPECT_EQ(parseInteger("-7"), -7);
    EXPECT_EQ(parseInteger("+7"), 7);
    EXPECT_EQ(parseInteger("$1F"), 31);
    EXPECT_EQ(parseInteger("$1f"), 31);
    EXPECT_EQ(parseInteger("%101"), 5);
    EXPECT_EQ(parseInteger("%102"), 2);
    EXPECT_EQ(parseInteger("abc"), 0);
    EXPECT_EQ(parseInteger("1e3"), 1);
    EXPECT_EQ(parseInteger("\t-$10"), -16);
    EXPECT_EQ(parseInteger("- 5"), 0);
    EXPECT_EQ(parseInteger("$"), 0);
}

TEST(ParseIntegerTest, SixtyFourBitsAndWrapAround) {
    EXPECT_EQ(parseInteger("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(parseInteger("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(parseInteger("9223372036854775808"), INT64_MIN);
    EXPECT_EQ(parseInteger("18446744073709551617"), 1);
    EXPECT_EQ(parseInteger("$FFFFFFFFFFFFFFFF"), -1);
    EXPECT_EQ(formatInteger(-42), "-42");
    EXPECT_EQ(formatInteger(INT64_MIN), "-9223372036854775808");
}

TEST(PasswordTest, EncodesAsPaddedBase64) {
    EXPECT_EQ(encodePassword(""), "");
    EXPECT_EQ(encodePassword("f"), "Zg==");
    EXPECT_EQ(encodePassword("fo"), "Zm8=");
    EXPECT_EQ(encodePassword("foo"), "Zm9v");
    EXPECT_EQ(encodePassword("foobar"), "Zm9vYmFy");
    EXPECT_EQ(encodePassword("\xFF\xFE\xFD"), "//79");
}

TEST(PasswordTest, DecodesAndRejectsMalformedText) {
    EXPECT_EQ(decodePassword("Zg=="), "f");
    EXPECT_EQ(decodePassword("Zm8="), "fo");
    EXPECT_EQ(decodePassword("Zm9vYmFy"), "foobar");
    EXPECT_EQ(decodePassword(""), "");
    EXPECT_EQ(decodePassword("Zm9"), "") << "length not a multiple of 4";
    EXPECT_EQ(decodePassword("Zg==Zm9v"), "") << "padding before the end";
    EXPECT_EQ(decodePassword("Z=9v"), "") << "padding in the second place";
    EXPECT_EQ(decodePassword("Zg=v"), "") << "padding in the third place only";
    EXPECT_EQ(decodePassword("Zm9*"), "") << "outside the alphabet";
    EXPECT_EQ(decodePassword("AGFi"), "") << "stops at the first zero byte";
    EXPECT_EQ(decodePassword("YQBi"), "a");
}

TEST(PasswordTest, EveryByteAndLengthRoundTrips) {
    std::string all;
    for (int i = 1; i < 256; ++i)
        all.push_back(static_cast<char>(i));
    for (size_t length = 0; length <= all.size(); length += 7) {
        std::string password = all.substr(0, length);
        EXPECT_EQ(decodePassword(encodePassword(password)), password) << length;
    }
}

}  // namespace
}  // namespace korvo
