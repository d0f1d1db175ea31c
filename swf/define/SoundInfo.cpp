#include "swf/define/SoundInfo.h"

#include "swf/read/ByteReader.h"
#include "swf/read/TagCode.h"

namespace swf {

namespace {

Result<SoundInfo> readInfo(ByteReader& reader)
{
    const auto flags = reader.u8();
    if (!flags)
        return Result<SoundInfo>::failure("sound info cut short");
    SoundInfo info;
    info.stop = *flags & 0x20;
    info.noMultiple = *flags & 0x10;
    if (*flags & 0x01)
        info.inPoint = reader.u32();
    if (*flags & 0x02)
        info.outPoint = reader.u32();
    if (*flags & 0x04)
        info.loops = reader.u16().value_or(1);
    if (*flags & 0x08) {
        const std::uint8_t count = reader.u8().value_or(0);
        for (int i = 0; i < count && !reader.failed(); ++i) {
            SoundEnvelopePoint point;
            point.position = reader.u32().value_or(0);
            point.left = reader.u16().value_or(0);
            point.right = reader.u16().value_or(0);
            if (!reader.failed())
                info.envelope.push_back(point);
        }
    }
    if (reader.failed())
        return Result<SoundInfo>::failure("sound info cut short");
    return info;
}

} // namespace

Result<SoundInfo> readSoundInfo(std::span<const std::uint8_t> bytes)
{
    ByteReader reader(bytes);
    return readInfo(reader);
}

Result<StartSoundCommand> readStartSound(std::uint16_t code, std::span<const std::uint8_t> body)
{
    ByteReader reader(body);
    StartSoundCommand command;
    if (code == TagCode::StartSound2) {
        auto name = reader.string();
        if (!name)
            return Result<StartSoundCommand>::failure("sound class name cut short");
        command.className = std::move(*name);
    } else {
        const auto id = reader.u16();
        if (!id)
            return Result<StartSoundCommand>::failure("start sound without a sound id");
        command.soundId = *id;
    }
    Result<SoundInfo> info = readInfo(reader);
    if (!info)
        return Result<StartSoundCommand>::failure(info.error());
    command.info = std::move(info.value());
    return command;
}

Result<ButtonSounds> readButtonSounds(std::span<const std::uint8_t> body)
{
    ByteReader reader(body);
    ButtonSounds sounds;
    for (ButtonSounds::Entry& entry : sounds.entries) {
        const auto id = reader.u16();
        if (!id)
            return Result<ButtonSounds>::failure("button sounds cut short");
        entry.soundId = *id;
        if (!*id)
            continue;
        Result<SoundInfo> info = readInfo(reader);
        if (!info)
            return Result<ButtonSounds>::failure(info.error());
        entry.info = std::move(info.value());
    }
    return sounds;
}

Result<SoundStreamHead> readSoundStreamHead(std::span<const std::uint8_t> body)
{
    ByteReader reader(body);
    reader.u8(); // the rate the author wanted it played at; the stream's own is what counts
    const auto format = reader.u8();
    const auto samples = reader.u16();
    if (!format || !samples)
        return Result<SoundStreamHead>::failure("sound stream head cut short");
    SoundStreamHead head;
    head.format = SoundFormat::fromByte(*format);
    head.samplesPerBlock = *samples;
    if (head.format.codec == std::uint8_t(SoundCodec::Mp3))
        head.latencySeek = reader.s16().value_or(0);
    return head;
}

} // namespace swf
