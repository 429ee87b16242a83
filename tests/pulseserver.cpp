// SPDX-License-Identifier: MIT
#include "pulseserver.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

PulseServer::PulseServer()
    : m_service(QStringLiteral("pulseaudio"))
{
    QDir(m_dir.path()).mkpath(QStringLiteral("home"));
    QDir(m_dir.path()).mkpath(QStringLiteral("run"));
    QFile::setPermissions(m_dir.filePath(QStringLiteral("run")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // A client that cannot reach this server must not start one of its own.
    QFile config(m_dir.filePath(QStringLiteral("client.conf")));
    if (config.open(QIODevice::WriteOnly))
        config.write("autospawn = no\n");
}

bool PulseServer::available()
{
    for (const char *tool : {"pulseaudio", "pactl", "parec"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            return false;
    }
    return true;
}

bool PulseServer::start()
{
    // -n: no default script, only the two modules; as root it warns and runs.
    // The sink takes the program's own format, so that what it plays is
    // recorded sample for sample, unresampled.
    const QStringList arguments = {
        QStringLiteral("-n"),
        QStringLiteral("--daemonize=no"),
        QStringLiteral("--exit-idle-time=-1"),
        QStringLiteral("--disable-shm"),
        QStringLiteral("-L"),
        QStringLiteral("module-null-sink sink_name=test format=u8 rate=22050 channels=1"),
        QStringLiteral("-L"),
        QStringLiteral("module-native-protocol-unix")};
    return m_service.start(QStringLiteral("pulseaudio"), arguments, clientEnvironment(),
                           [this] { return pactl({QStringLiteral("info")}).has_value(); });
}

void PulseServer::stop()
{
    m_service.stop();
}

void PulseServer::pause()
{
    m_service.pause();
}

void PulseServer::resume()
{
    m_service.resume();
}

bool PulseServer::isRunning() const
{
    return m_service.isRunning();
}

QString PulseServer::log()
{
    return m_service.log();
}

void PulseServer::addClientVariables(QProcessEnvironment &environment) const
{
    const QString run = m_dir.filePath(QStringLiteral("run"));
    environment.insert(QStringLiteral("HOME"), m_dir.filePath(QStringLiteral("home")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), run);
    environment.insert(QStringLiteral("PULSE_SERVER"),
                       QStringLiteral("unix:") + run + QStringLiteral("/pulse/native"));
    environment.insert(QStringLiteral("PULSE_CLIENTCONFIG"),
                       m_dir.filePath(QStringLiteral("client.conf")));
    environment.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("pulseaudio"));
}

QProcessEnvironment PulseServer::clientEnvironment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    addClientVariables(environment);
    return environment;
}

void PulseServer::useInThisProcess() const
{
    QProcessEnvironment environment;
    addClientVariables(environment);
    for (const QString &name : environment.keys())
        qputenv(name.toLocal8Bit().constData(), environment.value(name).toLocal8Bit());
}

std::optional<QString> PulseServer::pactl(const QStringList &arguments) const
{
    QProcess tool;
    tool.setProcessEnvironment(clientEnvironment());
    tool.start(QStringLiteral("pactl"), arguments);
    if (!tool.waitForFinished(5000)) {
        tool.kill();
        tool.waitForFinished();
        return std::nullopt;
    }
    if (tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0)
        return std::nullopt;
    return QString::fromLocal8Bit(tool.readAllStandardOutput());
}

int PulseServer::runningStreams() const
{
    const auto streams = pactl({QStringLiteral("list"), QStringLiteral("sink-inputs")});
    return streams ? int(streams->count(QStringLiteral("Corked: no"))) : -1;
}
