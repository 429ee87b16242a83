// SPDX-License-Identifier: MIT
#pragma once

// The application's title: the caption of every message box and the prefix
// of a failure reported without a window.
inline constexpr char ApplicationTitle[] = "KESTA";
