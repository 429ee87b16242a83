// SPDX-License-Identifier: MIT
#include "service.h"

#include <QDeadlineTimer>
#include <QTest>

#include <csignal>
#include <sys/types.h>

Service::Service(QString name)
    : m_name(std::move(name))
{
    m_process.setProcessChannelMode(QProcess::MergedChannels);
}

Service::~Service()
{
    stop();
}

bool Service::start(const QString &program, const QStringList &arguments,
                    const QProcessEnvironment &environment, const std::function<bool()> &ready,
                    int timeoutMs)
{
    m_process.setProcessEnvironment(environment);
    m_process.start(program, arguments);
    if (!m_process.waitForStarted(5000)) {
        m_log = m_process.errorString().toUtf8();
        return false;
    }
    m_pid = m_process.processId();
    const bool answered =
        waitUntil([&] { return m_process.state() != QProcess::Running || ready(); }, timeoutMs);
    if (answered && m_process.state() == QProcess::Running)
        return true;
    stop();
    return false;
}

void Service::stop()
{
    if (m_pid == 0)
        return;
    if (m_process.state() == QProcess::Running) {
        ::kill(pid_t(m_pid), SIGCONT);
        ::kill(pid_t(m_pid), SIGTERM);
        if (!m_process.waitForFinished(3000)) {
            ::kill(pid_t(m_pid), SIGKILL);
            m_process.waitForFinished(3000);
        }
    }
    m_log += m_process.readAll();
    m_pid = 0;
}

void Service::pause()
{
    if (m_pid)
        ::kill(pid_t(m_pid), SIGSTOP);
}

void Service::resume()
{
    if (m_pid)
        ::kill(pid_t(m_pid), SIGCONT);
}

bool Service::isRunning() const
{
    return m_pid != 0 && m_process.state() == QProcess::Running;
}

QByteArray Service::output()
{
    m_log += m_process.readAll();
    return m_log;
}

QString Service::log()
{
    return m_name + QStringLiteral(": ") + QString::fromLocal8Bit(output());
}

bool waitUntil(const std::function<bool()> &condition, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(20);
    }
    return true;
}
