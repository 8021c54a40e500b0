// The message box's buttons, picture and cancel answer by type, and its growth by text length.
#include "ui/message_box_rules.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace vs::ui::test {
namespace {

struct TypeCase {
  unsigned type;
  MessageBoxButtons buttons;
  int picture;
  int cancelAnswer;
};

TEST(MessageBoxRules, ButtonsPictureAndCancelAnswerFollowTheType) {
  const TypeCase cases[] = {
      {0, MessageBoxButtons::Ok, kPictureWarning, 2},
      {36, MessageBoxButtons::YesNo, kPictureQuestion, 7},
      {0x41, MessageBoxButtons::OkCancel, kPictureInformation, 2},
      {1, MessageBoxButtons::OkCancel, kPictureWarning, 2},
      {2, MessageBoxButtons::Ok, kPictureWarning, 2},
      {3, MessageBoxButtons::OkCancel, kPictureWarning, 2},  // bit 0 wins over Yes/No
      {4, MessageBoxButtons::YesNo, kPictureWarning, 7},
      {5, MessageBoxButtons::OkCancel, kPictureWarning, 2},
      {0x10, MessageBoxButtons::Ok, kPictureError, 2},
      {0x20, MessageBoxButtons::Ok, kPictureQuestion, 2},
      {0x30, MessageBoxButtons::Ok, kPictureWarning, 2},
      {0x40, MessageBoxButtons::Ok, kPictureInformation, 2},
      {0x70, MessageBoxButtons::Ok, kPictureWarning, 2},  // exclamation tested before the rest
      {0x50, MessageBoxButtons::Ok, kPictureInformation, 2},
      {0x34, MessageBoxButtons::YesNo, kPictureWarning, 7},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.type);
    EXPECT_EQ(buttonsForType(c.type), c.buttons);
    EXPECT_EQ(pictureForType(c.type), c.picture);
    EXPECT_EQ(cancelResultFor(buttonsForType(c.type)), c.cancelAnswer);
  }
}

struct GrowthCase {
  std::size_t length;
  int height, width, depth, shift;
  bool pictureMoves;
};

TEST(MessageBoxRules, GrowthByTextLength) {
  const GrowthCase cases[] = {
      {0, 10, 12, 7, 6, false},    {23, 10, 12, 7, 6, false},   {29, 10, 12, 7, 6, false},
      {30, 20, 25, 14, 12, false}, {59, 20, 25, 14, 12, false}, {60, 30, 37, 21, 18, false},
      {89, 30, 37, 21, 18, false}, {90, 40, 50, 28, 25, true},  {119, 40, 50, 28, 25, true},
      {120, 50, 62, 35, 31, true}, {149, 50, 62, 35, 31, true}, {180, 70, 87, 49, 43, true},
      {209, 70, 87, 49, 43, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.length);
    const MessageBoxGrowth g = growthForTextLength(c.length);
    EXPECT_EQ(g.height, c.height);
    EXPECT_EQ(g.width, c.width);
    EXPECT_EQ(g.depth, c.depth);
    EXPECT_EQ(g.buttonShift(), c.shift);
    EXPECT_EQ(g.picturesMove(), c.pictureMoves);
  }
}

TEST(MessageBoxRules, TheCancelQuestionGrowsTheBoxByTwelveBySeven) {
  const MessageBoxGrowth g = growthForTextLength(std::strlen("Terminate the Scan now?"));
  EXPECT_EQ(g.width, 12);
  EXPECT_EQ(g.depth, 7);
  EXPECT_EQ(g.buttonShift(), 6);
}

TEST(MessageBoxRules, AnAbsurdLengthGivesABoundedPositiveGrowth) {
  const MessageBoxGrowth g = growthForTextLength(SIZE_MAX);
  EXPECT_GT(g.height, 0);
  EXPECT_GT(g.width, 0);
  EXPECT_GT(g.depth, 0);
  EXPECT_EQ(g.height, growthForTextLength(30000).height);
}

}  // namespace
}  // namespace vs::ui::test
