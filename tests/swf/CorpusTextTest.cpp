#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include <QImage>
#include <QPainter>

#include "swf/read/Movie.h"
#include "swf/Player.h"
#include "swf/render/TextPainter.h"
#include "swf/text/FormattedText.h"
#include "swf/text/TextLayout.h"

namespace fs = std::filesystem;

// Real movies hold fonts and texts from many authoring tools: every one must
// read, its glyph references must land in its font, and it must paint.
TEST(CorpusText, EveryFontAndTextReadsAndPaints)
{
    const fs::path corpus(TVK_CORPUS_DIR);
    if (!fs::exists(corpus))
        GTEST_SKIP() << "no corpus at " << TVK_CORPUS_DIR;
    int fontsRead = 0;
    int textsRead = 0;
    int fieldsRead = 0;
    QImage image(200, 200, QImage::Format_ARGB32);
    for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
        if (entry.path().extension() != ".swf")
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<std::uint8_t> bytes {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        swf::Player player;
        player.open();
        player.feed(bytes);
        player.finish();
        if (!player.hasMovie())
            continue;
        const swf::Movie& movie = *player.movie();
        std::map<std::uint16_t, std::shared_ptr<swf::Font>> fonts;
        const swf::FontLookup lookup = [&](std::uint16_t id) -> std::shared_ptr<const swf::Font> {
            const auto found = fonts.find(id);
            return found == fonts.end() ? nullptr : found->second;
        };
        QPainter painter(&image);
        painter.scale(0.05, 0.05);
        for (const swf::TagRecord& tag : movie.tags()) {
            const auto body = movie.body(tag);
            if (body.size() < 2)
                continue;
            const std::uint16_t id = std::uint16_t(body[0] | body[1] << 8);
            const auto rest = body.subspan(2);
            const std::string where = entry.path().filename().string() + " tag " + std::to_string(tag.code);
            switch (tag.code) {
            case 10:
            case 48:
            case 75: {
                auto font = swf::readFont(tag.code, rest, movie.header().version);
                ASSERT_TRUE(font) << where << ": " << font.error();
                fonts[id] = std::make_shared<swf::Font>(std::move(font.value()));
                ++fontsRead;
                break;
            }
            case 13:
            case 62:
                if (fonts.count(id))
                    swf::applyFontInfo(*fonts[id], tag.code, rest);
                break;
            case 11:
            case 33: {
                const auto text = swf::readStaticText(tag.code, rest);
                ASSERT_TRUE(text) << where << ": " << text.error();
                for (const auto& run : text.value().runs) {
                    const auto font = lookup(run.fontId);
                    ASSERT_TRUE(font) << where << ": font " << run.fontId;
                    for (const auto& glyph : run.glyphs)
                        EXPECT_LT(glyph.index, font->glyphs.size()) << where;
                }
                swf::paintStaticText(painter, text.value(), lookup, {});
                ++textsRead;
                break;
            }
            case 37: {
                const auto field = swf::readEditText(rest);
                ASSERT_TRUE(field) << where << ": " << field.error();
                const auto& defined = field.value();
                const QString text = defined.initialText ? swf::decodeMovieText(*defined.initialText) : QString();
                swf::paintEditText(painter, *swf::layoutField(defined, text, defined.html, defined.fontId ? lookup(*defined.fontId) : nullptr), {});
                ++fieldsRead;
                break;
            }
            default:
                break;
            }
        }
    }
    std::printf("fonts %d, static texts %d, edit texts %d\n", fontsRead, textsRead, fieldsRead);
}
