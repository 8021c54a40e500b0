// Which picture a skinned button shows, and the bitmap resources its text names.
#pragma once

#include <string>

namespace vs::ui {

enum class SkinPicture { Highlighted, Normal, Disabled };

// Highlighting wins over the disabled state; pressed and focus bits are not looked at.
SkinPicture pictureForState(bool highlighted, bool disabled);

// The resources of a button whose text is T: T_FOCUS, T_NOTFOCUS and T_DISABLE (the loader
// matches resource names without regard to case).
struct SkinNames {
  std::string focus;
  std::string normal;
  std::string disabled;
};
SkinNames skinNamesFor(const std::string& buttonText);

}  // namespace vs::ui
