// SPDX-License-Identifier: MIT
// Measures how soon a play call is heard, through SDL's disk driver: the delay
// from a call to the countdown's first frame, and from a second call to the
// switch to the boom, 20 calls each; then, 8 times, from a call to the first
// frame when the device has closed itself after idling and opens again.
//
// A delay runs from the call until the device has taken the buffer that holds
// the sound's first frame from its queue. Which buffer that was is found by
// the frame's position in the recorded stream, never by the file's size,
// which grows in 4 KiB steps. The stream is in the sounds' own 8-bit format.

#include "deviceprobe.h"
#include "player.h"
#include "programrun.h"
#include "scratchfiles.h"
#include "service.h"

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int Calls = 20;
constexpr int ReopenCalls = 8;

struct Call {
    Clock::time_point called;
    Clock::time_point returned;
    Clock::time_point handedOver; // the device first took a buffer after the call
    qint64 deliveredBefore = 0;
};

Call timedPlay(const QString &path)
{
    Call call;
    call.deliveredBefore = qint64(deviceprobe::framesDelivered());
    call.called = Clock::now();
    player::play(path);
    call.returned = Clock::now();
    while (qint64(deviceprobe::framesDelivered()) == call.deliveredBefore)
        std::this_thread::sleep_for(std::chrono::microseconds(50));
    call.handedOver = Clock::now();
    return call;
}

// Frames of silence before the sound's first sample.
size_t leadIn(const std::vector<qint16> &sound)
{
    return size_t(std::ranges::find_if(sound, [](qint16 v) { return v != 0; }) - sound.begin());
}

// Where the sound starts in the stream, from `from` on; -1 when nowhere.
qint64 findFirst(const std::vector<qint16> &stream, qint64 from, const std::vector<qint16> &sound)
{
    const size_t skip = leadIn(sound);
    return findRun(stream, sound, skip, std::min<size_t>(256, sound.size() - skip),
                   size_t(from) + skip, stream.size());
}

double leadInMs(const std::vector<qint16> &sound, const SDL_AudioSpec &format)
{
    return 1000.0 * double(leadIn(sound)) / format.freq;
}

double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

void printFigures(const char *what, std::vector<double> values)
{
    if (values.empty()) {
        std::printf("%-36s no measurement\n", what);
        return;
    }
    std::ranges::sort(values);
    std::printf("%-36s median %6.2f ms   max %6.2f ms   (%zu calls)\n", what,
                values[values.size() / 2], values.back(), values.size());
}

// The delay of a call whose sound starts at `at` in the stream, the device
// having handed `handed` frames over when it was made.
double delayMs(const Call &call, qint64 handed, qint64 at, const SDL_AudioSpec &format)
{
    // Later buffers follow the first one at the device's pace.
    const qint64 wholeBuffers = (at - handed) / format.samples;
    return ms(call.handedOver - call.called) +
           1000.0 * double(wholeBuffers * format.samples) / format.freq;
}

// Opens the device with the alert tone, which a missing file plays.
bool openDevice(const QString &missing)
{
    player::play(missing);
    return waitUntil(deviceprobe::isOpen, 10000);
}

// Each call on a recording of its own: the disk driver starts its file afresh
// whenever the device opens.
std::vector<double> reopenDelays(const QString &streamPath, const QString &path,
                                 const QString &missing, const std::vector<qint16> &sound,
                                 std::vector<double> &callTimes)
{
    std::vector<double> delays;
    for (int i = 0; i < ReopenCalls; ++i) {
        openDevice(missing);
        while (deviceprobe::isOpen())
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const Call call = timedPlay(path);
        std::this_thread::sleep_for(std::chrono::milliseconds(150 + 13 * i % 29));
        const SDL_AudioSpec format = deviceprobe::format();
        deviceprobe::closeOutput();
        callTimes.push_back(ms(call.returned - call.called));
        const auto [stream, offset] = deviceprobe::recording(streamPath);
        const qint64 at = findFirst(stream, offset, sound);
        if (at >= 0)
            delays.push_back(delayMs(call, offset, at, format));
    }
    return delays;
}

} // namespace

int main()
{
    QTemporaryDir dir;
    const QString streamPath = dir.filePath(QStringLiteral("stream.raw"));
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(streamPath));
    const QString countdown = scratch::composePath(dir.path(), Sound::Countdown);
    const QString boom = scratch::composePath(dir.path(), Sound::Boom);
    const QString missing = dir.filePath(QStringLiteral("missing.wav"));
    scratch::write(countdown, Sound::Countdown);
    scratch::write(boom, Sound::Boom);

    if (!openDevice(missing)) {
        std::fprintf(stderr, "the disk audio driver did not open\n");
        return 1;
    }
    const SDL_AudioSpec format = deviceprobe::format();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));

    std::vector<Call> starts, switches;
    for (int i = 0; i < Calls; ++i) {
        // The alert tone ends within 200 ms, so each countdown starts from silence.
        timedPlay(missing);
        std::this_thread::sleep_for(std::chrono::milliseconds(260 + 7 * i % 23));
        starts.push_back(timedPlay(countdown));
        std::this_thread::sleep_for(std::chrono::milliseconds(120 + 11 * i % 17));
        switches.push_back(timedPlay(boom));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    deviceprobe::closeOutput();

    const deviceprobe::Recording recorded = deviceprobe::recording(streamPath);
    const std::vector<qint16> countdownFrames = deviceSamples(countdown);
    const std::vector<qint16> boomFrames = deviceSamples(boom);

    std::vector<double> startDelays, switchDelays, callTimes;
    const auto measure = [&](const std::vector<Call> &calls, const std::vector<qint16> &sound,
                             std::vector<double> &delays) {
        for (const Call &call : calls) {
            callTimes.push_back(ms(call.returned - call.called));
            const qint64 handed = recorded.offset + call.deliveredBefore;
            const qint64 at = findFirst(recorded.frames, handed, sound);
            if (at >= 0)
                delays.push_back(delayMs(call, handed, at, format));
        }
    };
    measure(starts, countdownFrames, startDelays);
    measure(switches, boomFrames, switchDelays);
    const std::vector<double> reopened =
        reopenDelays(streamPath, countdown, missing, countdownFrames, callTimes);

    std::printf("device: %d Hz, %d channel(s), %d-frame buffers (%.1f ms)\n", format.freq,
                format.channels, format.samples, 1000.0 * format.samples / format.freq);
    printFigures("play call returns", callTimes);
    std::printf("silent lead-in of the sounds: countdown %.1f ms, boom %.1f ms\n",
                leadInMs(countdownFrames, format), leadInMs(boomFrames, format));
    printFigures("call to the first sample", startDelays);
    printFigures("second call to the switch", switchDelays);
    printFigures("call to the first sample, idle device", reopened);
    return startDelays.size() == Calls && switchDelays.size() == Calls &&
                   reopened.size() == ReopenCalls
               ? 0
               : 1;
}
