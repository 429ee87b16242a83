// SPDX-License-Identifier: MIT
// play() and prepare() for the program, safe to call from any handler.
#include "player.h"

#include "audiooutput.h"

namespace sound {

namespace {

std::function<void(const QString &)> &playWatcher()
{
    static std::function<void(const QString &)> watcher;
    return watcher;
}

} // namespace

void play(const QString &path)
{
    if (const auto &watcher = playWatcher())
        watcher(path);
    // Called straight from handlers: even running out of memory here only means silence.
    try {
        AudioOutput::instance().playFile(path);
    } catch (...) {
    }
}

void prepare()
{
    try {
        AudioOutput::instance().prepare();
    } catch (...) {
    }
}

void setPlayWatcher(std::function<void(const QString &path)> watcher)
{
    playWatcher() = std::move(watcher);
}

} // namespace sound
