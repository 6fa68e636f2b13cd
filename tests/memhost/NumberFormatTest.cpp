#include <gtest/gtest.h>

#include "memhost/model/NumberFormat.h"

namespace kx::memhost {
namespace {

TEST(NumberFormat, TellsDateFormatsFromOthers) {
  for (const char* code : {"m/d/yyyy", "d-mmm-yy", "h:mm AM/PM", "[h]:mm:ss", "yyyy-mm-dd",
                           "[$-409]mmmm d, yyyy", "dd/mm/yyyy;@", "[Red]d.m.yy", "mm:ss"}) {
    EXPECT_TRUE(IsDateFormat(code)) << code;
  }
  for (const char* code : {"General", "0.00", "#,##0", "0%", "0.00E+00", "@", "\"day\" 0",
                           "[Red]#,##0", "0 \\d", "_(* #,##0_)", "[>=100]0;0.0"}) {
    EXPECT_FALSE(IsDateFormat(code)) << code;
  }
  EXPECT_TRUE(IsDateFormat(*BuiltinNumberFormat(14)));
  EXPECT_FALSE(IsDateFormat(*BuiltinNumberFormat(4)));
  EXPECT_FALSE(BuiltinNumberFormat(5));
}

}  // namespace
}  // namespace kx::memhost
