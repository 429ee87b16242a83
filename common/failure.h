// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <exception>
#include <functional>

// A failure that no handler of the program handles. It carries the number
// and description the user is shown before the program ends.
struct Failure {
    int number = 0;
    QString description;
    // The file the failure is about, which ends the description; empty when none.
    QString path;
};

// Thrown by the operations that can fail; caught by guard() before it can
// reach Qt's event loop.
class FailureError : public std::exception {
public:
    explicit FailureError(Failure failure);
    const Failure &failure() const { return m_failure; }
    const char *what() const noexcept override;

private:
    Failure m_failure;
    QByteArray m_what;
};

// What the user is told: "Error <number>: <description>".
QString failureText(const Failure &failure);
// The same, led by the application's title, for a failure told without a window.
QString failureLine(const Failure &failure);

// Builds the failure of a file operation: the errno value, what was found
// (the system's text for the value unless given) and the path.
FailureError fileFailure(int errnoValue, const QString &path, const QString &found = {});

using FailureReport = std::function<void(const Failure &)>;

// The program installs one report (message box, exit); tests install their own.
// Without one, a failure is written to standard error and ends the program
// through its clean-up (ending::exitNow).
void setFailureReport(FailureReport report);

// Runs one handler's body. A FailureError escaping it is passed to the report.
// Returns false when the body failed.
bool guard(const std::function<void()> &body) noexcept;
