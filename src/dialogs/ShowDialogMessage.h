// A message of the add and edit dialogs: a string of the component's table in a warning box
// captioned with the product's name, through the current message box.
#pragma once

#include <cstdint>
#include <string>

namespace tq {

void ShowDialogMessage(uint32_t id, const std::string& strProductName);

}  // namespace tq
