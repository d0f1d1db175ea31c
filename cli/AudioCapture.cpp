#include "cli/AudioCapture.h"

#include <cmath>
#include <vector>

#include <QDir>
#include <QtEndian>

#include "swf/Player.h"

namespace cli {

AudioCapture::AudioCapture(QString folder, QString movieName)
    : m_folder(std::move(folder))
    , m_movieName(std::move(movieName))
{
}

QString AudioCapture::prepare()
{
    if (!QDir().mkpath(m_folder))
        return QStringLiteral("cannot make the audio folder %1").arg(m_folder);
    return {};
}

void AudioCapture::attach(swf::Player& player)
{
    player.setSoundTap([this](int frame, int index, std::span<const std::int16_t> samples) { write(frame, index, samples); });
}

// Frame k ends at sample k * 44100 / rate, worked out from k so that a
// rate that does not divide 44,100 does not drift.
void AudioCapture::playFrame(swf::Player& player, double frameRate)
{
    ++m_framesPlayed;
    const auto due = std::uint64_t(std::floor(double(m_framesPlayed) * swf::Player::kAudioRate / frameRate));
    std::vector<std::int16_t> mix(std::size_t(due - m_samplesMixed) * 2);
    m_samplesMixed = due;
    player.mixAudio(mix);
}

void AudioCapture::write(int frame, int index, std::span<const std::int16_t> samples)
{
    std::unique_ptr<QFile>& file = m_files[{frame, index}];
    if (!file) {
        file = std::make_unique<QFile>(QDir(m_folder).filePath(QStringLiteral("%1.%2.%3.raw").arg(m_movieName).arg(frame).arg(index)));
        if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate) && m_error.isEmpty())
            m_error = QStringLiteral("cannot write %1: %2").arg(file->fileName(), file->errorString());
    }
    if (!file->isOpen())
        return;
    std::vector<std::int16_t> little(samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i)
        little[i] = qToLittleEndian(samples[i]);
    if (file->write(reinterpret_cast<const char*>(little.data()), qint64(little.size() * 2)) != qint64(little.size() * 2)
        && m_error.isEmpty())
        m_error = QStringLiteral("cannot write %1: %2").arg(file->fileName(), file->errorString());
}

} // namespace cli
