#include "swf/define/Dictionary.h"

#include "swf/define/SoundDefinition.h"
#include "swf/define/VideoStreamDefinition.h"
#include "swf/read/ByteReader.h"
#include "swf/read/Records.h"
#include "swf/read/TagCode.h"

namespace swf {

namespace {

template<typename T>
std::shared_ptr<const Character> orReport(Result<std::shared_ptr<T>> result, std::string& problem)
{
    if (!result) {
        problem = result.error();
        return nullptr;
    }
    return std::move(result.value());
}

} // namespace

Dictionary::Dictionary(std::shared_ptr<MemoryBudget> budget)
    : m_budget(std::move(budget))
{
}

bool Dictionary::isDefinitionTag(std::uint16_t code)
{
    switch (TagCode(code)) {
    case TagCode::DefineShape:
    case TagCode::DefineBits:
    case TagCode::DefineButton:
    case TagCode::DefineButtonCxform:
    case TagCode::DefineButtonSound:
    case TagCode::JPEGTables:
    case TagCode::DefineBitsLossless:
    case TagCode::DefineBitsJPEG2:
    case TagCode::DefineShape2:
    case TagCode::DefineShape3:
    case TagCode::DefineButton2:
    case TagCode::DefineBitsJPEG3:
    case TagCode::DefineBitsLossless2:
    case TagCode::DefineSprite:
    case TagCode::DefineMorphShape:
    case TagCode::DefineScalingGrid:
    case TagCode::DefineShape4:
    case TagCode::DefineMorphShape2:
    case TagCode::DefineBitsJPEG4:
    case TagCode::DefineFont:
    case TagCode::DefineText:
    case TagCode::DefineFontInfo:
    case TagCode::DefineText2:
    case TagCode::DefineEditText:
    case TagCode::DefineFont2:
    case TagCode::DefineFontInfo2:
    case TagCode::DefineFontAlignZones:
    case TagCode::DefineFont3:
    case TagCode::DefineFontName:
    case TagCode::DefineSound:
    case TagCode::ExportAssets:
    case TagCode::DefineVideoStream:
    case TagCode::VideoFrame:
        return true;
    default:
        return false;
    }
}

void Dictionary::define(const TagRecord& tag, std::span<const std::uint8_t> body, std::uint8_t swfVersion, Diagnostics& diagnostics,
                        std::size_t& tagAllowance)
{
    if (!isDefinitionTag(tag.code))
        return;
    if (tag.code == TagCode::JPEGTables) {
        const std::unique_lock lock(m_lock);
        m_jpegTables.assign(body.begin(), body.end());
        return;
    }
    if (tag.code == TagCode::ExportAssets) {
        readExports(tag, body, diagnostics);
        return;
    }
    if (tag.code == TagCode::VideoFrame) {
        addVideoFrame(tag.bodyOffset, body, diagnostics);
        return;
    }
    ByteReader bytes(body);
    const auto id = bytes.u16();
    if (!id) {
        diagnostics.report(tag.bodyOffset, tag.code, "definition without a character id");
        return;
    }
    const auto report = [&](const std::string& message) { diagnostics.report(tag.bodyOffset, tag.code, message); };
    switch (TagCode(tag.code)) {
    case TagCode::DefineScalingGrid:
        if (const auto rect = readRect(bytes)) {
            const std::unique_lock lock(m_lock);
            m_grids.emplace(*id, ScalingGrid {*rect});
        } else {
            report("scaling grid cut short");
        }
        return;
    case TagCode::DefineButtonCxform:
        if (const auto cxform = readColorTransform(bytes, false)) {
            const std::unique_lock lock(m_lock);
            m_buttonColors[*id] = *cxform;
        } else {
            report("button colour transform cut short");
        }
        return;
    case TagCode::DefineButtonSound: {
        const std::unique_lock lock(m_lock);
        m_buttonSounds[*id] = TagRef {tag.code, tag.bodyOffset + 2, std::uint32_t(bytes.remaining())};
        return;
    }
    case TagCode::DefineSound:
        defineSound(*id, tag, bytes.rest(), diagnostics);
        return;
    case TagCode::DefineFontInfo:
    case TagCode::DefineFontInfo2:
    case TagCode::DefineFontAlignZones:
    case TagCode::DefineFontName:
        amendFont(*id, tag, bytes.rest(), diagnostics);
        return;
    default:
        defineCharacter(*id, tag, bytes.rest(), swfVersion, diagnostics, tagAllowance);
        return;
    }
}

void Dictionary::defineSound(std::uint16_t id, const TagRecord& tag, std::span<const std::uint8_t> rest, Diagnostics& diagnostics)
{
    Result<std::shared_ptr<SoundDefinition>> sound = readSoundDefinition(id, rest);
    if (!sound) {
        diagnostics.report(tag.bodyOffset, tag.code, sound.error());
        return;
    }
    const std::unique_lock lock(m_lock);
    if (!m_sounds.emplace(id, std::move(sound.value())).second)
        diagnostics.report(tag.bodyOffset, tag.code, "sound " + std::to_string(id) + " defined again; the first one stays");
}

void Dictionary::addVideoFrame(std::uint64_t bodyOffset, std::span<const std::uint8_t> body, Diagnostics& diagnostics)
{
    const Result<VideoFrameTag> frame = readVideoFrameTag(body);
    if (!frame) {
        diagnostics.report(bodyOffset, int(TagCode::VideoFrame), frame.error());
        return;
    }
    const std::shared_ptr<const Character> stream = find(frame.value().streamId);
    if (!stream || stream->kind() != Character::Kind::Video) {
        diagnostics.report(bodyOffset, int(TagCode::VideoFrame),
                           "frame of video stream " + std::to_string(frame.value().streamId) + ", which is not defined");
        return;
    }
    static_cast<const VideoStreamDefinition&>(*stream).addFrame(frame.value().frameNumber, frame.value().packet);
}

// A sprite's video frames feed the stream they name as the main movie's
// do; the sprite's script only carries where they sit in `body`.
void Dictionary::addSpriteVideoFrames(const FrameScript& script, std::span<const std::uint8_t> body, std::uint64_t bodyOffset,
                                      Diagnostics& diagnostics)
{
    for (const auto& frame : script.frames) {
        for (const FrameCommand& command : frame) {
            const auto* carried = std::get_if<CarriedTag>(&command);
            if (!carried || carried->code != TagCode::VideoFrame || carried->offset < bodyOffset
                || carried->offset - bodyOffset > body.size() || carried->length > body.size() - (carried->offset - bodyOffset))
                continue;
            addVideoFrame(carried->offset, body.subspan(std::size_t(carried->offset - bodyOffset), carried->length), diagnostics);
        }
    }
}

std::shared_ptr<const SoundDefinition> Dictionary::sound(std::uint16_t id) const
{
    const std::shared_lock lock(m_lock);
    const auto found = m_sounds.find(id);
    return found == m_sounds.end() ? nullptr : found->second;
}

void Dictionary::amendFont(std::uint16_t id, const TagRecord& tag, std::span<const std::uint8_t> rest, Diagnostics& diagnostics)
{
    std::shared_ptr<const FontDefinition> current;
    {
        const std::shared_lock lock(m_lock);
        const auto found = m_fonts.find(id);
        if (found != m_fonts.end())
            current = found->second;
    }
    if (!current) {
        diagnostics.report(tag.bodyOffset, tag.code, "font " + std::to_string(id) + " amended before it was defined");
        return;
    }
    // A frame being drawn may hold the font as it was; the amended one is
    // a copy that takes its place.
    auto amended = std::make_shared<FontDefinition>(*current);
    if (tag.code == TagCode::DefineFontAlignZones)
        applyAlignZones(amended->font, rest);
    else if (tag.code == TagCode::DefineFontName)
        applyFontName(amended->font, rest);
    else
        applyFontInfo(amended->font, tag.code, rest);
    const std::unique_lock lock(m_lock);
    m_fonts[id] = amended;
    m_characters[id] = amended;
}

void Dictionary::readExports(const TagRecord& tag, std::span<const std::uint8_t> body, Diagnostics& diagnostics)
{
    ByteReader bytes(body);
    const auto count = bytes.u16();
    if (!count) {
        diagnostics.report(tag.bodyOffset, tag.code, "export list cut short");
        return;
    }
    for (std::uint16_t i = 0; i < *count; ++i) {
        const auto id = bytes.u16();
        auto name = bytes.string();
        if (!id || !name) {
            diagnostics.report(tag.bodyOffset, tag.code, "export list cut short");
            return;
        }
        const std::unique_lock lock(m_lock);
        m_exports.emplace(std::move(*name), Export {*id, tag.bodyOffset});
    }
}

void Dictionary::defineCharacter(std::uint16_t id, const TagRecord& tag, std::span<const std::uint8_t> rest, std::uint8_t swfVersion,
                                 Diagnostics& diagnostics, std::size_t& tagAllowance)
{
    const auto report = [&](const std::string& message) { diagnostics.report(tag.bodyOffset, tag.code, message); };
    {
        const std::shared_lock lock(m_lock);
        if (m_characters.count(id)) {
            report("character " + std::to_string(id) + " defined again; the first definition stands");
            return;
        }
    }
    // Where the body after the id sits in the stream.
    const std::uint64_t restOffset = tag.bodyOffset + 2;
    std::string problem;
    std::shared_ptr<const Character> character;
    std::shared_ptr<const FontDefinition> font;
    switch (TagCode(tag.code)) {
    case TagCode::DefineShape:
    case TagCode::DefineShape2:
    case TagCode::DefineShape3:
    case TagCode::DefineShape4:
        character = orReport(readShapeDefinition(tag.code, rest), problem);
        break;
    case TagCode::DefineMorphShape:
    case TagCode::DefineMorphShape2:
        character = orReport(readMorphShapeDefinition(tag.code, rest), problem);
        break;
    case TagCode::DefineSprite: {
        std::vector<std::string> problems;
        character = orReport(readSpriteDefinition(rest, swfVersion, problems, restOffset, tagAllowance), problem);
        for (const std::string& message : problems)
            report(message);
        if (character)
            addSpriteVideoFrames(static_cast<const SpriteDefinition&>(*character).script, rest, restOffset, diagnostics);
        break;
    }
    case TagCode::DefineVideoStream: {
        character = orReport(readVideoStreamDefinition(rest), problem);
        break;
    }
    case TagCode::DefineButton:
    case TagCode::DefineButton2:
        character = orReport(readButtonDefinition(tag.code, rest, restOffset), problem);
        break;
    case TagCode::DefineBits:
    case TagCode::DefineBitsLossless:
    case TagCode::DefineBitsJPEG2:
    case TagCode::DefineBitsJPEG3:
    case TagCode::DefineBitsLossless2:
    case TagCode::DefineBitsJPEG4: {
        std::vector<std::uint8_t> tables;
        if (tag.code == TagCode::DefineBits) {
            const std::shared_lock lock(m_lock);
            tables = m_jpegTables;
        }
        character = std::make_shared<BitmapDefinition>(tag.code, std::vector<std::uint8_t>(rest.begin(), rest.end()), std::move(tables),
                                                       m_budget);
        break;
    }
    case TagCode::DefineFont:
    case TagCode::DefineFont2:
    case TagCode::DefineFont3: {
        auto read = readFont(tag.code, rest, swfVersion);
        if (!read) {
            problem = read.error();
            break;
        }
        auto definition = std::make_shared<FontDefinition>();
        definition->font = std::move(read.value());
        font = definition;
        character = std::move(definition);
        break;
    }
    case TagCode::DefineText:
    case TagCode::DefineText2: {
        auto text = readStaticText(tag.code, rest);
        if (!text) {
            problem = text.error();
            break;
        }
        auto definition = std::make_shared<StaticTextDefinition>();
        definition->text = std::move(text.value());
        character = std::move(definition);
        break;
    }
    case TagCode::DefineEditText: {
        auto field = readEditText(rest);
        if (!field) {
            problem = field.error();
            break;
        }
        auto definition = std::make_shared<EditTextDefinition>();
        definition->field = std::move(field.value());
        character = std::move(definition);
        break;
    }
    default:
        return;
    }
    if (!character) {
        report(problem);
        return;
    }
    const std::unique_lock lock(m_lock);
    if (font)
        m_fonts.emplace(id, std::move(font));
    m_characters.emplace(id, std::move(character));
}

void Dictionary::clear()
{
    const std::unique_lock lock(m_lock);
    m_characters.clear();
    m_fonts.clear();
    m_grids.clear();
    m_buttonColors.clear();
    m_buttonSounds.clear();
    m_exports.clear();
    m_sounds.clear();
    m_jpegTables.clear();
}

std::size_t Dictionary::size() const
{
    const std::shared_lock lock(m_lock);
    return m_characters.size();
}

std::shared_ptr<const Character> Dictionary::find(std::uint16_t id) const
{
    const std::shared_lock lock(m_lock);
    const auto found = m_characters.find(id);
    return found == m_characters.end() ? nullptr : found->second;
}

std::shared_ptr<const Font> Dictionary::font(std::uint16_t id) const
{
    const std::shared_lock lock(m_lock);
    const auto found = m_fonts.find(id);
    if (found == m_fonts.end())
        return nullptr;
    return std::shared_ptr<const Font>(found->second, &found->second->font);
}

std::optional<ScalingGrid> Dictionary::scalingGrid(std::uint16_t id) const
{
    const std::shared_lock lock(m_lock);
    const auto found = m_grids.find(id);
    return found == m_grids.end() ? std::nullopt : std::optional(found->second);
}

std::optional<ColorTransform> Dictionary::buttonColorTransform(std::uint16_t id) const
{
    const std::shared_lock lock(m_lock);
    const auto found = m_buttonColors.find(id);
    return found == m_buttonColors.end() ? std::nullopt : std::optional(found->second);
}

std::optional<TagRef> Dictionary::buttonSounds(std::uint16_t id) const
{
    const std::shared_lock lock(m_lock);
    const auto found = m_buttonSounds.find(id);
    return found == m_buttonSounds.end() ? std::nullopt : std::optional(found->second);
}

std::optional<std::uint16_t> Dictionary::exported(const std::string& name) const
{
    const std::shared_lock lock(m_lock);
    const auto found = m_exports.find(name);
    return found == m_exports.end() ? std::nullopt : std::optional(found->second.id);
}

std::optional<std::uint64_t> Dictionary::exportTag(const std::string& name) const
{
    const std::shared_lock lock(m_lock);
    const auto found = m_exports.find(name);
    return found == m_exports.end() ? std::nullopt : std::optional(found->second.tagOffset);
}

std::string Dictionary::exportNameOf(std::uint16_t id) const
{
    const std::shared_lock lock(m_lock);
    for (const auto& [name, exported] : m_exports)
        if (exported.id == id)
            return name;
    return {};
}

} // namespace swf
