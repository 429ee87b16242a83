// SPDX-License-Identifier: MIT
#include "exitcleanup.h"

#include "scratchfiles.h"

#include <QtGlobal>

#include <atomic>
#include <cstdlib>
#include <exception>

namespace {

std::atomic<bool> armed = false;
QtMessageHandler outerHandler = nullptr;
std::terminate_handler outerTerminate = nullptr;

void cleanUp()
{
    if (armed.exchange(false))
        scratch::deleteAll();
}

void cleanUpBeforeFatal(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtFatalMsg)
        cleanUp();
    outerHandler(type, context, text);
}

[[noreturn]] void cleanUpBeforeTerminate()
{
    cleanUp();
    if (outerTerminate)
        outerTerminate();
    std::abort();
}

} // namespace

ExitCleanup::ExitCleanup()
{
    static const bool registered = std::atexit(cleanUp) == 0;
    Q_UNUSED(registered);
    armed = true;
    outerHandler = qInstallMessageHandler(cleanUpBeforeFatal);
    outerTerminate = std::set_terminate(cleanUpBeforeTerminate);
}

ExitCleanup::~ExitCleanup()
{
    armed = false;
    qInstallMessageHandler(outerHandler);
    std::set_terminate(outerTerminate);
}
