#include <gtest/gtest.h>

#include <memory>

#include "driver/console.h"

TEST(IntToString, GivesExactlyTheDigits) {
  for (int value : {0, 7, 10, 99, 100, 1000, 123456, -42}) {
    const std::unique_ptr<char[]> text(IntToString(value));
    EXPECT_EQ(std::string(text.get()), std::to_string(value));
  }
}
