#include <gtest/gtest.h>
TEST(P2, Nothing) {}
