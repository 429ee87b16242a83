// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>

// A test program that links playrecorder.cpp has its own player::play and
// player::prepare, which the linker takes instead of the program's: each path
// asked for is added here and nothing is played, so that a test of a window
// sees which sounds it asks for, in order, without a sound thread.
QStringList &playedSounds();
