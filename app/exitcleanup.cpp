// SPDX-License-Identifier: MIT
#include "exitcleanup.h"

#include "ending.h"

#include <cstdlib>
#include <exception>

namespace {

std::terminate_handler outerTerminate = nullptr;

[[noreturn]] void cleanUpBeforeTerminate()
{
    ending::cleanUp();
    if (outerTerminate)
        outerTerminate();
    std::abort();
}

} // namespace

ExitCleanup::ExitCleanup(void (*cleanUp)())
{
    ending::setCleanUp(cleanUp);
    [[maybe_unused]] static const bool registered = std::atexit(ending::cleanUp) == 0;
    outerTerminate = std::set_terminate(cleanUpBeforeTerminate);
}

ExitCleanup::~ExitCleanup()
{
    std::set_terminate(outerTerminate);
}
