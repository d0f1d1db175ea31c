#include "flash/AudioOutput.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>

#include <cstdint>
#include <limits>
#include <span>
#include <utility>

#include "swf/Player.h"

namespace flash {

namespace {

// Hands the device whatever it asks for, straight from the mixer.
class MixDevice final : public QIODevice {
public:
    explicit MixDevice(AudioSink::Pull pull)
        : m_pull(std::move(pull))
    {
    }

    qint64 readData(char* data, qint64 size) override
    {
        constexpr qint64 kFrameBytes = 4;
        const qint64 frames = size / kFrameBytes;
        m_pull(std::span(reinterpret_cast<std::int16_t*>(data), std::size_t(frames) * 2));
        return frames * kFrameBytes;
    }
    qint64 writeData(const char*, qint64) override { return -1; }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return std::numeric_limits<qint32>::max(); }

private:
    AudioSink::Pull m_pull;
};

} // namespace

// Lives on the output thread: the sink and the device it reads from.
class AudioOutput::Sink : public QObject {
public:
    Sink(AudioSink::Pull pull, QAudioDevice device, QAudioFormat format)
        : m_mix(std::move(pull))
        , m_device(std::move(device))
        , m_format(format)
    {
    }

    void start()
    {
        m_sink = new QAudioSink(m_device, m_format, this);
        // A tenth of a second: short enough for sound to follow the
        // picture, long enough to ride out a busy moment.
        m_sink->setBufferSize(swf::Player::kAudioRate * 4 / 10);
        m_mix.open(QIODevice::ReadOnly);
        m_sink->start(&m_mix);
    }
    void stop()
    {
        if (m_sink)
            m_sink->stop();
        m_mix.close();
    }

private:
    MixDevice m_mix;
    QAudioDevice m_device;
    QAudioFormat m_format;
    QAudioSink* m_sink = nullptr;
};

bool AudioOutput::start(Pull pull)
{
    stop();
    QAudioFormat format;
    format.setSampleRate(swf::Player::kAudioRate);
    format.setChannelCount(2);
    format.setSampleFormat(QAudioFormat::Int16);
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull() || !device.isFormatSupported(format))
        return false;
    m_sink = new Sink(std::move(pull), device, format);
    m_sink->moveToThread(&m_thread);
    m_thread.setObjectName(QStringLiteral("audio output"));
    m_thread.start(QThread::TimeCriticalPriority);
    QMetaObject::invokeMethod(m_sink, [sink = m_sink] { sink->start(); }, Qt::BlockingQueuedConnection);
    return true;
}

void AudioOutput::stop()
{
    if (!m_sink)
        return;
    QMetaObject::invokeMethod(
        m_sink,
        [sink = m_sink] {
            sink->stop();
            delete sink;
        },
        Qt::BlockingQueuedConnection);
    m_sink = nullptr;
    m_thread.quit();
    m_thread.wait();
}

AudioOutput::~AudioOutput()
{
    stop();
}

} // namespace flash
