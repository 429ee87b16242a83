// SPDX-License-Identifier: MIT
// play() and prepare(), and nothing else: a test of a window links its own
// pair (tests/playrecorder.cpp), which the linker then takes instead of this
// file, so that the test sees what is played without a sound thread.
#include "player.h"

#include "audiooutput.h"

namespace {

// Sound is never worth a failure: whatever goes wrong on its way, even
// running out of memory, only means silence.
template <typename Work> void silently(const Work &work) noexcept
{
    try {
        work();
    } catch (...) { // NOLINT(bugprone-empty-catch): silence is how a failure here is handled
    }
}

} // namespace

namespace player {

void play(const QString &path) noexcept
{
    silently([&] { AudioOutput::instance().playFile(path); });
}

void prepare() noexcept
{
    silently([] { AudioOutput::instance(); });
}

} // namespace player
