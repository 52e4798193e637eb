#include "framework/core/StValueChanger.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

TEST(StValueChanger, GivesTheOldValueBackHoweverTheScopeEnds) {
  std::string value = "outer";
  {
    StValueChanger<std::string> change(value, "first");
    EXPECT_EQ(value, "first");
    {
      StValueChanger<std::string> nested(value, "second");
      EXPECT_EQ(value, "second");
    }
    EXPECT_EQ(value, "first");
  }
  EXPECT_EQ(value, "outer");

  bool busy = false;
  EXPECT_THROW(
      {
        StValueChanger<bool> change(busy, true);
        EXPECT_TRUE(busy);
        throw std::runtime_error("leaves the scope");
      },
      std::runtime_error);
  EXPECT_FALSE(busy);
}

}  // namespace
