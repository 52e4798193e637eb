#include "framework/core/LString.h"
#include "framework/core/MacTypes.h"

#include <gtest/gtest.h>

#include <string>

TEST(LString, CopyCutsToDestinationSize) {
  const LStr255 source("abcdef");
  unsigned char small[4];
  LString::CopyPStr(source, small, sizeof small);
  EXPECT_EQ(LString::ToStd(small), "abc");
}

TEST(LString, FromStdCutsAt255) {
  Str255 text;
  LString::FromStd(std::string(300, 'x'), text);
  EXPECT_EQ(text[0], 255);
}

TEST(LString, StringListItemsCountFromOne) {
  EXPECT_FALSE(LStr255(1001, 3).Std().empty());
  EXPECT_TRUE(LStr255(1001, 0).Std().empty());
  EXPECT_TRUE(LStr255(1001, 99).Std().empty());
  EXPECT_TRUE(LStr255(4242, 1).Std().empty());
}

TEST(FourCC, MostSignificantCharacterFirst) {
  static_assert(FourCC("Pchg") == 0x50636867u);
  EXPECT_EQ(FourCC("nilP") >> 24, static_cast<unsigned>('n'));
}
