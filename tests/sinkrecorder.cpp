// SPDX-License-Identifier: MIT
#include "sinkrecorder.h"

#include "pulseserver.h"

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QtEndian>

SinkRecorder::~SinkRecorder()
{
    stop();
}

// A null sink without clients renders two seconds ahead, and a new stream
// can only pull it back by its own small latency: nothing reaches the
// monitor, and no stream starts playing, until that time has passed. Once
// the recording flows the sink keeps the recorder's latency, as a hardware
// sink, which can be rewound, always does.
bool SinkRecorder::start(const PulseServer &server)
{
    stop();
    m_data.clear();
    m_parec.setProcessEnvironment(server.clientEnvironment());
    m_parec.start(QStringLiteral("parec"),
                  {QStringLiteral("-d"), QStringLiteral("test.monitor"), QStringLiteral("--raw"),
                   QStringLiteral("--format=s16le"), QStringLiteral("--rate=22050"),
                   QStringLiteral("--channels=1"), QStringLiteral("--latency-msec=5")});
    if (!m_parec.waitForStarted(5000))
        return false;
    for (int waited = 0; waited < 5000 && m_parec.state() == QProcess::Running; waited += 50) {
        if (frames() > 0)
            return true;
        m_parec.waitForReadyRead(50);
    }
    return false;
}

void SinkRecorder::take()
{
    while (m_parec.waitForReadyRead(0))
        m_data += m_parec.readAllStandardOutput();
    m_data += m_parec.readAllStandardOutput();
}

qint64 SinkRecorder::frames()
{
    take();
    return m_data.size() / 2;
}

std::vector<qint16> SinkRecorder::heard()
{
    take();
    std::vector<qint16> recording(size_t(m_data.size() / 2));
    for (size_t i = 0; i < recording.size(); ++i)
        recording[i] = qFromLittleEndian<qint16>(m_data.constData() + 2 * i);
    return recording;
}

std::vector<qint16>
SinkRecorder::heardOnce(const std::function<bool(const std::vector<qint16> &)> &holds,
                        int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    std::vector<qint16> recording = heard();
    while (!holds(recording) && !deadline.hasExpired() && isRunning()) {
        m_parec.waitForReadyRead(50);
        recording = heard();
    }
    return recording;
}

void SinkRecorder::stop()
{
    if (m_parec.state() == QProcess::NotRunning)
        return;
    m_parec.terminate();
    if (!m_parec.waitForFinished(3000)) {
        m_parec.kill();
        m_parec.waitForFinished();
    }
}

QString programSoundMissing()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return QStringLiteral("needs an X server (run under xvfb-run)");
    if (!PulseServer::available())
        return QStringLiteral("needs pulseaudio and pulseaudio-utils");
    return {};
}

bool startRecordedServer(PulseServer &server, SinkRecorder &recorder)
{
    return server.start() && recorder.start(server);
}
