#include "swf/media/Mp3File.h"

#include <algorithm>
#include <string_view>

#include "swf/media/SoundDecoder.h"

namespace swf {

namespace {

// Bytes fed to the decoder at a time, so that a file is not decoded far
// past the frames asked for.
constexpr std::size_t kChunk = 64 * 1024;
// How far into the audio the first frame header is looked for: past junk
// some encoders leave, not through a whole file of garbage.
constexpr std::size_t kSyncSearch = 64 * 1024;

} // namespace

namespace {

// An encoder's info frame (Xing or LAME "Info") is the first frame's
// place but holds no sound: it decodes to a frame of silence.
bool isInfoFrame(std::span<const std::uint8_t> frame, bool mpeg1, int channels)
{
    const std::size_t sideInfo = mpeg1 ? (channels == 2 ? 32 : 17) : (channels == 2 ? 17 : 9);
    const std::size_t at = 4 + sideInfo;
    if (frame.size() < at + 4)
        return false;
    const std::string_view tag(reinterpret_cast<const char*>(frame.data() + at), 4);
    return tag == "Xing" || tag == "Info";
}

std::size_t frameLength(std::span<const std::uint8_t> bytes)
{
    static constexpr int kMpeg1[] {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static constexpr int kMpeg2[] {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    const std::optional<Mp3FrameHeader> header = readMp3FrameHeader(bytes);
    if (!header)
        return 0;
    const bool mpeg1 = (bytes[1] >> 3 & 3) == 3;
    const int* kbpsTable = mpeg1 ? kMpeg1 : kMpeg2;
    const int kbps = kbpsTable[bytes[2] >> 4];
    return std::size_t((mpeg1 ? 144 : 72) * kbps * 1000 / header->sampleRate + (bytes[2] >> 1 & 1));
}

// Where the piece of audio from `from` on is cut: at a frame's start about
// kChunk bytes on, since the decoder drops a frame cut in two. Where the
// frames cannot be followed the cut falls where it may.
std::size_t nextCut(std::span<const std::uint8_t> audio, std::size_t from)
{
    std::size_t at = from;
    while (at - from < kChunk) {
        const std::size_t length = frameLength(audio.subspan(at));
        if (length == 0)
            return std::min(audio.size(), from + kChunk);
        if (length >= audio.size() - at)
            return audio.size();
        at += length;
    }
    return at;
}

} // namespace

std::optional<Mp3FrameHeader> readMp3FrameHeader(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < 4 || bytes[0] != 0xFF || (bytes[1] & 0xE0) != 0xE0)
        return std::nullopt;
    const int version = bytes[1] >> 3 & 3; // 0: 2.5, 2: 2, 3: 1
    const int layer = bytes[1] >> 1 & 3;   // 1: layer III
    const int bitrate = bytes[2] >> 4;
    const int rate = bytes[2] >> 2 & 3;
    if (version == 1 || layer != 1 || bitrate == 0 || bitrate == 15 || rate == 3)
        return std::nullopt;
    static constexpr int kRates[] {44'100, 48'000, 32'000};
    const int divisor = version == 3 ? 1 : version == 2 ? 2 : 4;
    return Mp3FrameHeader {kRates[rate] / divisor, (bytes[3] >> 6) == 3 ? 1 : 2};
}

Result<Mp3File> decodeMp3File(std::span<const std::uint8_t> file, std::size_t maxFrames)
{
    Mp3File result;
    result.tags = readId3Tags(file);
    std::span<const std::uint8_t> audio = file.subspan(id3v2Length(file));
    if (audio.size() >= 128 && audio[audio.size() - 128] == 'T' && audio[audio.size() - 127] == 'A' && audio[audio.size() - 126] == 'G')
        audio = audio.first(audio.size() - 128);
    std::optional<Mp3FrameHeader> header;
    const std::size_t searched = std::min(audio.size(), kSyncSearch);
    std::size_t start = 0;
    for (; start < searched && !header; ++start)
        header = readMp3FrameHeader(audio.subspan(start));
    if (!header)
        return Result<Mp3File>::failure("no MP3 frame found");
    audio = audio.subspan(start - 1);
    if (const std::size_t first = frameLength(audio);
        first < audio.size() && isInfoFrame(audio.first(first), (audio[1] >> 3 & 3) == 3, header->channels))
        audio = audio.subspan(first);

    SoundFormat format;
    format.codec = std::uint8_t(SoundCodec::Mp3);
    format.rateCode = 3;
    format.stereo = header->channels == 2;
    SoundDecoder decoder(format);
    PcmSound& sound = result.sound;
    sound.doubledRate = header->sampleRate * 2;
    sound.channels = header->channels;
    const std::size_t channels = std::size_t(header->channels);
    bool decodedAny = false;
    for (std::size_t at = 0; at < audio.size() && sound.frames() < maxFrames;) {
        const std::size_t cut = nextCut(audio, at);
        if (decoder.decode(audio.subspan(at, cut - at), sound.samples))
            decodedAny = true;
        at = cut;
    }
    if (!decodedAny && sound.samples.empty())
        return Result<Mp3File>::failure(decoder.error().empty() ? "MP3 data does not decode" : decoder.error());
    sound.samples.resize(std::min(sound.samples.size() / channels, maxFrames) * channels);
    sound.samples.shrink_to_fit();
    return result;
}

Mp3FileReader::Mp3FileReader() = default;
Mp3FileReader::~Mp3FileReader() = default;

// Decodes the first `length` bytes held, whole frames, and lets them go.
void Mp3FileReader::decode(std::size_t length, std::vector<std::int16_t>& out, std::size_t maxFrames)
{
    const auto channels = std::size_t(m_header->channels);
    if (length > 0 && m_frames < maxFrames) {
        const std::size_t before = out.size();
        m_decoder->decode(std::span(m_held).first(length), out);
        const std::size_t made = std::min((out.size() - before) / channels, maxFrames - m_frames);
        out.resize(before + made * channels);
        m_frames += made;
    }
    m_held.erase(m_held.begin(), m_held.begin() + std::ptrdiff_t(length));
}

bool Mp3FileReader::append(std::span<const std::uint8_t> more, std::vector<std::int16_t>& out, std::size_t maxFrames)
{
    if (!m_error.empty())
        return false;
    if (m_stage == Stage::Done)
        return true;
    m_held.insert(m_held.end(), more.begin(), more.end());
    for (;;) {
        switch (m_stage) {
        case Stage::Tag:
            if (m_held.size() < 10)
                return true;
            m_skip = id3v2DeclaredLength(m_held);
            m_stage = Stage::Skip;
            break;
        case Stage::Skip: {
            const std::size_t skipped = std::min(m_skip, m_held.size());
            m_held.erase(m_held.begin(), m_held.begin() + std::ptrdiff_t(skipped));
            m_skip -= skipped;
            if (m_skip > 0)
                return true;
            m_stage = Stage::Sync;
            break;
        }
        case Stage::Sync: {
            std::size_t at = 0;
            while (at + 4 <= m_held.size() && !readMp3FrameHeader(std::span(m_held).subspan(at)))
                ++at;
            m_searched += at;
            if (at + 4 > m_held.size() || m_searched >= kSyncSearch) {
                m_held.erase(m_held.begin(), m_held.begin() + std::ptrdiff_t(at));
                if (m_searched < kSyncSearch)
                    return true;
                m_error = "no MP3 frame found";
                return false;
            }
            m_held.erase(m_held.begin(), m_held.begin() + std::ptrdiff_t(at));
            m_header = readMp3FrameHeader(m_held);
            SoundFormat format;
            format.codec = std::uint8_t(SoundCodec::Mp3);
            format.rateCode = 3;
            format.stereo = m_header->channels == 2;
            m_decoder = std::make_unique<SoundDecoder>(format);
            m_stage = Stage::Info;
            break;
        }
        case Stage::Info: {
            const std::size_t first = frameLength(m_held);
            if (first >= m_held.size())
                return true;
            if (isInfoFrame(std::span(m_held).first(first), (m_held[1] >> 3 & 3) == 3, m_header->channels))
                m_held.erase(m_held.begin(), m_held.begin() + std::ptrdiff_t(first));
            m_stage = Stage::Frames;
            break;
        }
        case Stage::Frames: {
            std::size_t at = 0;
            for (;;) {
                const std::size_t length = at + 4 <= m_held.size() ? frameLength(std::span(m_held).subspan(at)) : 0;
                if (length > 0 && length <= m_held.size() - at) {
                    at += length;
                    continue;
                }
                if (length > 0 || at + 4 > m_held.size())
                    break;
                // Not a frame: junk, or a tag at the end. What came before
                // goes to the decoder; the junk goes, up to the next header.
                decode(at, out, maxFrames);
                at = 0;
                std::size_t junk = 1;
                while (junk + 4 <= m_held.size() && junk < kSyncSearch && !readMp3FrameHeader(std::span(m_held).subspan(junk)))
                    ++junk;
                if (junk >= kSyncSearch) {
                    // Nothing but junk for as far as a header is looked
                    // for: the sound has ended.
                    m_held.clear();
                    m_stage = Stage::Done;
                    return true;
                }
                if (junk + 4 > m_held.size())
                    return true; // the next header may yet come
                m_held.erase(m_held.begin(), m_held.begin() + std::ptrdiff_t(junk));
            }
            decode(at, out, maxFrames);
            if (m_frames >= maxFrames) {
                m_held.clear();
                m_stage = Stage::Done;
            }
            return true;
        }
        case Stage::Done:
            return true;
        }
    }
}

} // namespace swf
