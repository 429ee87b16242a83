// SPDX-License-Identifier: MIT
#include "failure.h"

#include "ending.h"
#include "title.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

FailureReport &installedReport()
{
    static FailureReport report;
    return report;
}

void report(const Failure &failure)
{
    const FailureReport &installed = installedReport();
    if (installed)
        installed(failure);
    else
        ending::exitNow(EXIT_FAILURE, failureLine(failure));
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

QString failureLine(const Failure &failure)
{
    return QLatin1String(ApplicationTitle) + QStringLiteral(": ") + failureText(failure);
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
