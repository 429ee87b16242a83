// SPDX-License-Identifier: MIT
#include "ending.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace ending {

namespace {

// Constant-initialised and trivially destroyed, so it still holds in exit().
constinit std::atomic<void (*)()> pending = nullptr;

} // namespace

void setCleanUp(void (*cleanUp)())
{
    pending = cleanUp;
}

void cleanUp()
{
    if (void (*const run)() = pending.exchange(nullptr))
        run();
}

void exitNow(int status, const QString &sentence)
{
    if (!sentence.isEmpty())
        std::fprintf(stderr, "%s\n", sentence.toLocal8Bit().constData());
    cleanUp();
    std::fflush(nullptr);
    std::_Exit(status);
}

} // namespace ending
