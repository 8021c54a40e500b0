// The pacing of the status line and the choice of a skinned button's picture and resources.
#include <gtest/gtest.h>

#include "ui/skin_rules.h"
#include "ui/status_line_throttle.h"

namespace vs::ui::test {
namespace {

TEST(StatusLineThrottle, ShowsTheFirstTextThenAtMostOncePerInterval) {
  StatusLineThrottle throttle;
  EXPECT_TRUE(throttle.showNow(1000, false));
  EXPECT_FALSE(throttle.showNow(1001, false));
  EXPECT_FALSE(throttle.showNow(1039, false));
  EXPECT_TRUE(throttle.showNow(1040, false));
  EXPECT_FALSE(throttle.showNow(1041, false));
  // A forced text is shown at once and restarts the interval.
  EXPECT_TRUE(throttle.showNow(1042, true));
  EXPECT_FALSE(throttle.showNow(1081, false));
  EXPECT_TRUE(throttle.showNow(1082, false));
}

TEST(StatusLineThrottle, SurvivesTheWrapOfTheTickCount) {
  StatusLineThrottle throttle;
  EXPECT_TRUE(throttle.showNow(0xFFFFFFF0u, false));
  EXPECT_FALSE(throttle.showNow(0x00000010u, false));  // 32 ms later
  EXPECT_TRUE(throttle.showNow(0x00000018u, false));   // 40 ms later
}

TEST(StatusLineThrottle, TellsHowLongTheScanIsToHoldItsTexts) {
  StatusLineThrottle throttle;
  EXPECT_EQ(throttle.untilDue(500), 0u);  // nothing shown yet
  ASSERT_TRUE(throttle.showNow(1000, false));
  EXPECT_EQ(throttle.untilDue(1000), 40u);
  EXPECT_EQ(throttle.untilDue(1039), 1u);
  EXPECT_EQ(throttle.untilDue(1040), 0u);
  ASSERT_TRUE(throttle.showNow(0xFFFFFFF0u, true));
  EXPECT_EQ(throttle.untilDue(0x00000008u), 16u);  // 24 ms later, across the wrap
}

TEST(SkinRules, HighlightingWinsOverTheDisabledState) {
  EXPECT_EQ(pictureForState(true, true), SkinPicture::Highlighted);
  EXPECT_EQ(pictureForState(true, false), SkinPicture::Highlighted);
  EXPECT_EQ(pictureForState(false, true), SkinPicture::Disabled);
  EXPECT_EQ(pictureForState(false, false), SkinPicture::Normal);
}

}  // namespace
}  // namespace vs::ui::test
