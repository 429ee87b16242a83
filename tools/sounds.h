// SPDX-License-Identifier: MIT
#pragma once

#include <vector>

// The sound effects of the sound table (assets/CMakeLists.txt), synthesised as
// floating-point signals of exactly the sample counts they have always had.
// The alert tone is not one of them: the program makes it (sound/alerttone.cpp).
namespace sounds {

std::vector<double> countdown();
std::vector<double> boom();
std::vector<double> jungle();

} // namespace sounds
