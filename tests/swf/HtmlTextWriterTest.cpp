#include <gtest/gtest.h>

#include <vector>

#include "swf/text/HtmlText.h"
#include "swf/text/HtmlTextWriter.h"

TEST(HtmlTextWriter, WritesTheReferenceFormAndReadsBackTheSame)
{
    const swf::CharFormat base;
    const swf::ParagraphFormat paragraph;
    // What a field gives back for simple text, to the letter.
    EXPECT_EQ(swf::writeHtmlText(swf::parseHtmlText("a<b>b</b>", base, paragraph), "Arial"),
              QString("<P ALIGN=\"LEFT\"><FONT FACE=\"Arial\" SIZE=\"12\" COLOR=\"#000000\" LETTERSPACING=\"0\" KERNING=\"0\">a</FONT>"
                      "<FONT FACE=\"Arial\" SIZE=\"12\" COLOR=\"#000000\" LETTERSPACING=\"0\" KERNING=\"0\"><B>b</B></FONT></P>"));
    // The empty line after a last break is left out; one before it is not.
    const auto paragraphs = [](std::initializer_list<const char*> texts) {
        std::vector<swf::Paragraph> out;
        for (const char* text : texts)
            out.push_back({{}, *text ? std::vector<swf::TextSpan> {{text, {}}} : std::vector<swf::TextSpan> {}});
        return out;
    };
    EXPECT_EQ(swf::writeHtmlText(paragraphs({"a", ""}), "").count(u"<P"), 1);
    EXPECT_EQ(swf::writeHtmlText(paragraphs({"", "a"}), "").count(u"<P"), 2);
    EXPECT_EQ(swf::writeHtmlText(paragraphs({""}), "").count(u"<P"), 1);
    // Whatever the reader understands survives a write and a read.
    const std::vector<QString> sources {
        "<p align='right'>x &amp; &lt;y&gt;</p><p>second</p>",
        "<font face='_sans' size='20' color='#FF8000'><i><u>styled</u></i></font>",
        "<a href='http://example.com/?a=\"1\"' target='_blank'>link</a>",
        "<textformat leftmargin='10' indent='-5' leading='2' tabstops='20,40'><li>item</li></textformat>",
    };
    for (const QString& source : sources) {
        const auto first = swf::parseHtmlText(source, base, paragraph);
        const auto again = swf::parseHtmlText(swf::writeHtmlText(first, ""), base, paragraph);
        ASSERT_EQ(again.size(), first.size()) << source.toStdString();
        for (std::size_t i = 0; i < first.size(); ++i) {
            EXPECT_EQ(again[i].format, first[i].format) << source.toStdString();
            ASSERT_EQ(again[i].spans.size(), first[i].spans.size()) << source.toStdString();
            for (std::size_t k = 0; k < first[i].spans.size(); ++k) {
                EXPECT_EQ(again[i].spans[k].text, first[i].spans[k].text) << source.toStdString();
                swf::CharFormat expected = first[i].spans[k].format;
                if (expected.face.empty())
                    expected.face = "Times New Roman"; // written out by name
                EXPECT_EQ(again[i].spans[k].format, expected) << source.toStdString();
            }
        }
    }
}
