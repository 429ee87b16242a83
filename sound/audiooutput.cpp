// SPDX-License-Identifier: MIT
// The sound thread's start, its bounded end, and the waits only tests make.
#include "audiooutput.h"

namespace {

// Long enough for any healthy sound service.
constexpr auto TestWait = std::chrono::seconds(10);

} // namespace

AudioOutput &AudioOutput::instance()
{
    static AudioOutput output;
    return output;
}

AudioOutput::~AudioOutput()
{
    shutdown();
}

AudioWorker *AudioOutput::worker()
{
    if (m_abandoned) {
        // SDL is the left-behind thread's until it has finished.
        if (!m_worker->waitServed(m_shutdownTicket, std::chrono::milliseconds(0)))
            return nullptr;
        m_abandoned = false;
    }
    if (!m_thread.joinable()) {
        // SDL 2.26 gives PulseAudio the program's name but not its icon, and
        // the stream's role only to PipeWire; PulseAudio (and PipeWire's
        // server for it) takes both from here.
        if (!qEnvironmentVariableIsSet("PULSE_PROP_application.icon_name"))
            qputenv("PULSE_PROP_application.icon_name", "io.github.vantory.laser");
        if (!qEnvironmentVariableIsSet("PULSE_PROP_media.role"))
            qputenv("PULSE_PROP_media.role", "game");
        m_worker = std::make_shared<AudioWorker>();
        m_thread = std::thread([worker = m_worker] { worker->run(); });
    }
    return m_worker.get();
}

void AudioOutput::prepare()
{
    if (AudioWorker *thread = worker())
        thread->request(AudioWorker::Prepare);
}

void AudioOutput::playFile(const QString &path)
{
    if (AudioWorker *thread = worker())
        thread->requestPlay(path);
}

bool AudioOutput::shutdown(std::chrono::milliseconds wait)
{
    if (!m_thread.joinable())
        return !m_abandoned;
    m_shutdownTicket = m_worker->request(AudioWorker::Shutdown);
    if (m_worker->waitServed(m_shutdownTicket, wait)) {
        m_thread.join();
        return true;
    }
    m_thread.detach();
    m_abandoned = true;
    return false;
}

bool AudioOutput::ensureOpen()
{
    AudioWorker *thread = worker();
    return thread && thread->waitServed(thread->request(AudioWorker::Open), TestWait) &&
           thread->deviceOpen();
}

void AudioOutput::close()
{
    if (m_thread.joinable())
        m_worker->waitServed(m_worker->request(AudioWorker::Close), TestWait);
}

bool AudioOutput::isOpen() const
{
    return m_worker && m_worker->deviceOpen();
}
