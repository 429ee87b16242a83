// SPDX-License-Identifier: MIT
#pragma once

#include <vector>

// The three sound effects, synthesised as floating-point signals of exactly the
// sample counts the program's sounds have always had.
namespace sounds {

std::vector<double> countdown();
std::vector<double> boom();
std::vector<double> jungle();

} // namespace sounds
