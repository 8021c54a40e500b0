#include "ui/message_box_rules.h"

#include <algorithm>

#include "platform/window_queue.h"

namespace vs::ui {
namespace {

constexpr unsigned kMbIconStop = 0x10;
constexpr unsigned kMbIconQuestion = 0x20;
constexpr unsigned kMbIconExclamation = 0x30;
constexpr unsigned kMbIconInformation = 0x40;

constexpr std::size_t kLongestMeasuredText = 30000;

}  // namespace

MessageBoxButtons buttonsForType(unsigned type) {
  if (type & kMbOkCancel) return MessageBoxButtons::OkCancel;
  if (type & kMbYesNo) return MessageBoxButtons::YesNo;
  return MessageBoxButtons::Ok;
}

int pictureForType(unsigned type) {
  if ((type & kMbIconExclamation) == kMbIconExclamation) return kPictureWarning;
  if (type & kMbIconInformation) return kPictureInformation;
  if (type & kMbIconQuestion) return kPictureQuestion;
  if (type & kMbIconStop) return kPictureError;
  return kPictureWarning;
}

int cancelResultFor(MessageBoxButtons buttons) {
  return buttons == MessageBoxButtons::YesNo ? kIdNo : kIdCancel;
}

MessageBoxGrowth growthForTextLength(std::size_t length) {
  const int steps = static_cast<int>(std::min(length, kLongestMeasuredText) / 30);
  MessageBoxGrowth growth;
  growth.height = (steps + 1) * 10;
  growth.width = static_cast<int>(growth.height * 1.25);
  growth.depth = growth.height - growth.width / 4;
  return growth;
}

}  // namespace vs::ui
