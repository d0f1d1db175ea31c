#include "swf/media/Id3Tags.h"

#include <algorithm>
#include <array>

namespace swf {

namespace {

// Bounds on what one tag may make, whatever its lengths claim.
constexpr std::size_t kMaxFrames = 256;
constexpr std::size_t kMaxValueBytes = 64 * 1024;

void appendUtf8(std::string& out, std::uint32_t code)
{
    if (code < 0x80) {
        out += char(code);
    } else if (code < 0x800) {
        out += char(0xC0 | code >> 6);
        out += char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += char(0xE0 | code >> 12);
        out += char(0x80 | (code >> 6 & 0x3F));
        out += char(0x80 | (code & 0x3F));
    } else {
        out += char(0xF0 | code >> 18);
        out += char(0x80 | (code >> 12 & 0x3F));
        out += char(0x80 | (code >> 6 & 0x3F));
        out += char(0x80 | (code & 0x3F));
    }
}

// Text in one of ID3v2's four encodings, up to its first terminator.
// Returns the UTF-8 and how many bytes of `bytes` it took, terminator
// included.
std::pair<std::string, std::size_t> decodeText(std::uint8_t encoding, std::span<const std::uint8_t> bytes)
{
    std::string out;
    std::size_t i = 0;
    if (encoding == 1 || encoding == 2) {
        bool big = encoding == 2;
        if (bytes.size() >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF))) {
            big = bytes[0] == 0xFE;
            i = 2;
        }
        std::uint32_t high = 0;
        for (; i + 1 < bytes.size(); i += 2) {
            const std::uint32_t unit = big ? std::uint32_t(bytes[i] << 8 | bytes[i + 1]) : std::uint32_t(bytes[i + 1] << 8 | bytes[i]);
            if (unit == 0) {
                i += 2;
                return {out, i};
            }
            if (unit >= 0xD800 && unit < 0xDC00) {
                high = unit;
                continue;
            }
            if (unit >= 0xDC00 && unit < 0xE000) {
                if (high)
                    appendUtf8(out, 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00));
                high = 0;
                continue;
            }
            high = 0;
            appendUtf8(out, unit);
        }
        return {out, bytes.size()};
    }
    for (; i < bytes.size(); ++i) {
        if (bytes[i] == 0)
            return {out, i + 1};
        if (encoding == 3)
            out += char(bytes[i]);
        else
            appendUtf8(out, bytes[i]);
    }
    return {out, bytes.size()};
}

void add(Id3Tags& tags, std::string name, std::string value)
{
    if (value.size() > kMaxValueBytes)
        value.resize(kMaxValueBytes);
    if (tags.find(name))
        return;
    tags.fields.emplace_back(std::move(name), std::move(value));
}

std::uint32_t syncsafe(const std::uint8_t* b)
{
    return std::uint32_t((b[0] & 0x7F) << 21 | (b[1] & 0x7F) << 14 | (b[2] & 0x7F) << 7 | (b[3] & 0x7F));
}

// Version 2.2 names its frames with three letters; script knows the
// four-letter ones of later versions.
std::string longFrameName(const std::string& shortName)
{
    static constexpr std::array<std::pair<const char*, const char*>, 12> kNames {{
        {"TT2", "TIT2"}, {"TP1", "TPE1"}, {"TAL", "TALB"}, {"TYE", "TYER"}, {"TRK", "TRCK"}, {"TCO", "TCON"},
        {"COM", "COMM"}, {"TCM", "TCOM"}, {"TEN", "TENC"}, {"TP2", "TPE2"}, {"TLE", "TLEN"}, {"TPA", "TPOS"},
    }};
    for (const auto& [from, to] : kNames)
        if (shortName == from)
            return to;
    return shortName;
}

void readFrame(Id3Tags& tags, const std::string& name, std::span<const std::uint8_t> body)
{
    if (body.empty())
        return;
    const std::uint8_t encoding = body[0];
    if (name == "COMM") {
        // Encoding, language, a short description, then the comment.
        if (body.size() < 4)
            return;
        const std::size_t described = decodeText(encoding, body.subspan(4)).second;
        add(tags, name, decodeText(encoding, body.subspan(std::min(body.size(), 4 + described))).first);
        return;
    }
    if (name.size() == 4 && name[0] == 'T' && name != "TXXX")
        add(tags, name, decodeText(encoding, body.subspan(1)).first);
}

void readId3v2(Id3Tags& tags, std::span<const std::uint8_t> file)
{
    const std::size_t length = id3v2Length(file);
    if (length < 10)
        return;
    const std::uint8_t version = file[3];
    const std::uint8_t flags = file[5];
    std::vector<std::uint8_t> body(file.begin() + 10, file.begin() + std::ptrdiff_t(length));
    if (flags & 0x10 && body.size() >= 10)
        body.resize(body.size() - 10); // the footer
    if (flags & 0x80 && version < 4) {
        // Unsynchronised: every 0xFF 0x00 was written for a plain 0xFF.
        std::vector<std::uint8_t> plain;
        plain.reserve(body.size());
        for (std::size_t i = 0; i < body.size(); ++i) {
            plain.push_back(body[i]);
            if (body[i] == 0xFF && i + 1 < body.size() && body[i + 1] == 0)
                ++i;
        }
        body = std::move(plain);
    }
    std::size_t at = 0;
    if (flags & 0x40 && version >= 3 && body.size() >= 4) {
        // An extended header, skipped.
        const std::uint32_t extended = version == 4 ? syncsafe(body.data()) : std::uint32_t(body[0] << 24 | body[1] << 16 | body[2] << 8 | body[3]);
        at = version == 4 ? extended : extended + 4;
    }
    const std::size_t headerSize = version == 2 ? 6 : 10;
    for (std::size_t frames = 0; frames < kMaxFrames && at + headerSize <= body.size(); ++frames) {
        const std::uint8_t* h = body.data() + at;
        if (h[0] == 0)
            break; // padding
        std::string name;
        std::size_t size = 0;
        if (version == 2) {
            name.assign(reinterpret_cast<const char*>(h), 3);
            size = std::size_t(h[3] << 16 | h[4] << 8 | h[5]);
            name = longFrameName(name);
        } else {
            name.assign(reinterpret_cast<const char*>(h), 4);
            size = version == 4 ? syncsafe(h + 4) : std::size_t(std::uint32_t(h[4]) << 24 | std::uint32_t(h[5]) << 16 | h[6] << 8 | h[7]);
        }
        at += headerSize;
        if (!std::all_of(name.begin(), name.end(), [](char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }))
            break;
        size = std::min(size, body.size() - at);
        // Compressed or encrypted frames (2.3 and 2.4 flags) are not read.
        const bool packed = version == 3 ? (h[9] & 0xC0) != 0 : version == 4 && (h[9] & 0x0C) != 0;
        if (!packed)
            readFrame(tags, name, std::span<const std::uint8_t>(body).subspan(at, size));
        at += size;
    }
}

std::string fixedText(std::span<const std::uint8_t> bytes)
{
    std::string out;
    for (const std::uint8_t b : bytes) {
        if (b == 0)
            break;
        appendUtf8(out, b);
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

void readId3v1(Id3Tags& tags, std::span<const std::uint8_t> file)
{
    if (file.size() < 128)
        return;
    const std::span<const std::uint8_t> tag = file.last(128);
    if (tag[0] != 'T' || tag[1] != 'A' || tag[2] != 'G')
        return;
    add(tags, "songname", fixedText(tag.subspan(3, 30)));
    add(tags, "artist", fixedText(tag.subspan(33, 30)));
    add(tags, "album", fixedText(tag.subspan(63, 30)));
    add(tags, "year", fixedText(tag.subspan(93, 4)));
    // Version 1.1 keeps the track number in the comment's last byte.
    const bool hasTrack = tag[125] == 0 && tag[126] != 0;
    add(tags, "comment", fixedText(tag.subspan(97, hasTrack ? 28 : 30)));
    if (hasTrack)
        add(tags, "track", std::to_string(tag[126]));
    add(tags, "genre", std::to_string(tag[127]));
}

} // namespace

const std::string* Id3Tags::find(std::string_view name) const
{
    for (const auto& [key, value] : fields)
        if (key == name)
            return &value;
    return nullptr;
}

std::size_t id3v2DeclaredLength(std::span<const std::uint8_t> file)
{
    if (file.size() < 10 || file[0] != 'I' || file[1] != 'D' || file[2] != '3' || file[3] < 2 || file[3] > 4)
        return 0;
    if ((file[6] | file[7] | file[8] | file[9]) & 0x80)
        return 0;
    std::size_t length = 10 + syncsafe(file.data() + 6);
    if (file[5] & 0x10)
        length += 10;
    return length;
}

std::size_t id3v2Length(std::span<const std::uint8_t> file)
{
    return std::min(id3v2DeclaredLength(file), file.size());
}

Id3Tags readId3Tags(std::span<const std::uint8_t> file)
{
    Id3Tags tags;
    readId3v2(tags, file);
    // The v1 names script also knows a v2 tag by.
    static constexpr std::pair<const char*, const char*> kAliases[] {
        {"TIT2", "songname"}, {"TPE1", "artist"}, {"TALB", "album"}, {"TYER", "year"},
        {"COMM", "comment"},  {"TRCK", "track"},  {"TCON", "genre"},
    };
    for (const auto& [frame, alias] : kAliases)
        if (const std::string* value = tags.find(frame))
            add(tags, alias, std::string(*value));
    readId3v1(tags, file);
    return tags;
}

} // namespace swf
