#include <gtest/gtest.h>
TEST(P3, Nothing) {}
