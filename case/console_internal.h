// Internal view of the console state, for drawing checks.
#pragma once

#include <cstdint>

#include "platform/terminal.h"

namespace h2 {
std::uint16_t console_attribute();
const platform::ScreenBuffer& console_screen();
}  // namespace h2
