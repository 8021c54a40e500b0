#include "ui/skin_rules.h"

namespace vs::ui {

SkinPicture pictureForState(bool highlighted, bool disabled) {
  if (highlighted) return SkinPicture::Highlighted;
  return disabled ? SkinPicture::Disabled : SkinPicture::Normal;
}

SkinNames skinNamesFor(const std::string& buttonText) {
  return {buttonText + "_FOCUS", buttonText + "_NOTFOCUS", buttonText + "_DISABLE"};
}

}  // namespace vs::ui
