// The keys a US keyboard types characters with, for desktops whose keyboard map the
// program cannot read.
#include <gtest/gtest.h>

#include "platform/keys/virtual_keys.h"

namespace {

using platform::keys::usLayoutKeyForCharacter;

TEST(UsLayoutKeys, LettersDigitsAndPunctuationAnswerAsAUsLayoutDoes) {
    EXPECT_EQ(usLayoutKeyForCharacter('a'), 0x41);
    EXPECT_EQ(usLayoutKeyForCharacter('A'), 0x141);
    EXPECT_EQ(usLayoutKeyForCharacter('7'), 0x37);
    EXPECT_EQ(usLayoutKeyForCharacter('&'), 0x137);
    EXPECT_EQ(usLayoutKeyForCharacter('/'), 0xBF);
    EXPECT_EQ(usLayoutKeyForCharacter('?'), 0x1BF);
    EXPECT_EQ(usLayoutKeyForCharacter('"'), 0x1DE);
    EXPECT_EQ(usLayoutKeyForCharacter(' '), 0x20);
    EXPECT_EQ(usLayoutKeyForCharacter('\r'), 0x0D);
}

TEST(UsLayoutKeys, OtherCharactersHaveNoKey) {
    EXPECT_EQ(usLayoutKeyForCharacter(0x7F), -1);
    EXPECT_EQ(usLayoutKeyForCharacter(0xE4), -1);  // ä
    EXPECT_EQ(usLayoutKeyForCharacter(0x01), -1);
}

}  // namespace
