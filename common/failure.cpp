// SPDX-License-Identifier: MIT
#include "failure.h"

#include "title.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// Without an installed report the failure still ends the program, cleaned
// up, only without a window.
void reportToStandardError(const Failure &failure)
{
    std::fprintf(stderr, "%s: %s\n", ApplicationTitle,
                 failureText(failure).toLocal8Bit().constData());
    std::fflush(stderr);
    runFailureCleanUp();
    std::_Exit(EXIT_FAILURE);
}

FailureReport &installedReport()
{
    static FailureReport report;
    return report;
}

std::function<void()> &installedCleanUp()
{
    static std::function<void()> cleanUp;
    return cleanUp;
}

void report(const Failure &failure)
{
    const FailureReport &installed = installedReport();
    if (installed)
        installed(failure);
    else
        reportToStandardError(failure);
}

} // namespace

FailureError::FailureError(Failure failure)
    : m_failure(std::move(failure))
    , m_what(m_failure.description.toUtf8())
{
}

const char *FailureError::what() const noexcept
{
    return m_what.constData();
}

QString failureText(const Failure &failure)
{
    return QStringLiteral("Error %1: %2").arg(failure.number).arg(failure.description);
}

FailureError fileFailure(int errnoValue, const QString &path, const QString &found)
{
    const QString reason =
        found.isEmpty() ? QString::fromLocal8Bit(std::strerror(errnoValue)) : found;
    return FailureError({errnoValue, reason + QStringLiteral(": ") + path, path});
}

void setFailureReport(FailureReport report)
{
    installedReport() = std::move(report);
}

void setFailureCleanUp(std::function<void()> cleanUp)
{
    installedCleanUp() = std::move(cleanUp);
}

void runFailureCleanUp()
{
    if (const auto &cleanUp = installedCleanUp())
        cleanUp();
}

bool guard(const std::function<void()> &body) noexcept
{
    try {
        body();
        return true;
    } catch (const FailureError &error) {
        report(error.failure());
    } catch (const std::bad_alloc &) {
        report({ENOMEM, QString::fromLocal8Bit(std::strerror(ENOMEM)), {}});
    } catch (const std::exception &error) {
        report({0, QString::fromLocal8Bit(error.what()), {}});
    } catch (...) {
        report({0, QStringLiteral("Unknown failure"), {}});
    }
    return false;
}
