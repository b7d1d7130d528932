#include <gtest/gtest.h>
TEST(DupePages, Placeholder) {}
