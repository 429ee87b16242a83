// SPDX-License-Identifier: MIT
#pragma once

#include <vector>

// The program's sounds, synthesised as floating-point signals: the effects of
// the sound table (assets/CMakeLists.txt), with exactly the sample counts they
// have always had, and the alert tone played when a file cannot be.
namespace sounds {

std::vector<double> countdown();
std::vector<double> boom();
std::vector<double> jungle();
std::vector<double> alert();

} // namespace sounds
