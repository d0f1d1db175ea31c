#include <gtest/gtest.h>

#include <chrono>

#include "swf/text/HtmlText.h"

namespace {

swf::CharFormat base()
{
    swf::CharFormat format;
    format.face = "_sans";
    format.size = 240;
    return format;
}

// Paragraphs as "|"-separated text, each span that differs from the base
// format marked with what differs: {b}, {i}, {u}, {size}, {#rrggbb}, {face}, {->url}.
std::string describe(const std::vector<swf::Paragraph>& paragraphs)
{
    std::string out;
    for (std::size_t p = 0; p < paragraphs.size(); ++p) {
        if (p)
            out += '|';
        for (const auto& span : paragraphs[p].spans) {
            std::string marks;
            const swf::CharFormat& f = span.format;
            if (f.bold)
                marks += "b";
            if (f.italic)
                marks += "i";
            if (f.underline)
                marks += "u";
            if (f.size != 240)
                marks += std::to_string(int(f.size / 20));
            if (!(f.color == swf::Color {}))
                marks += QString::asprintf("#%02x%02x%02x", f.color.r, f.color.g, f.color.b).toStdString();
            if (f.face != "_sans")
                marks += f.face;
            if (!f.url.empty())
                marks += "->" + f.url + (f.target.empty() ? "" : "@" + f.target);
            out += marks.empty() ? span.text.toStdString() : "{" + marks + "}" + span.text.toStdString();
        }
    }
    return out;
}

std::string parse(const QString& html) { return describe(swf::parseHtmlText(html, base(), {})); }

} // namespace

TEST(HtmlText, MarkupBecomesFormattedParagraphs)
{
    struct Case {
        const char* html;
        const char* expected;
    };
    const Case cases[] = {
        {"plain", "plain"},
        {"", ""},
        {"a<b>b<i>bi</i></b>c", "a{b}b{bi}bic"},
        {"<B>upper</B> case", "{b}upper case"},
        {"<u>x</u>", "{u}x"},
        {"<font size='20' color='#FF0080' face=\"Courier New\">f</font>", "{20#ff0080Courier New}f"},
        {"<font size=\"+6\">up<font size=-2>down</font></font>", "{18}up{16}down"},
        {"<font color=\"zz\">bad colour kept black</font>", "bad colour kept black"},
        {"<a href=\"http://x.test/?a=1&amp;b=2\" target=\"_blank\">link</a>", "{->http://x.test/?a=1&b=2@_blank}link"},
        // Paragraphs: </p> ends one without leaving an empty line, once
        // however many opened; <p> itself breaks nothing; <br> always
        // breaks, <li> when its line has text; each raw CR or LF breaks.
        {"<p>one</p><p>two</p>", "one|two"},
        {"one<br>two<br/>", "one|two|"},
        {"<p>one<p>two", "onetwo"},
        {"a<p>b<p>c</p>d</p>e", "abc|de"},
        {"a<u>b</p>c", "a{u}bc"},
        {"line\rnext\r\nlast\n", "line|next||last|"},
        {"<li>first</li><li>second</li>", "first|second"},
        {"a<li>b<li>c</li>d</li>e", "a|b|c|d|e"},
        {"c\r<li>d", "c|d"},
        {"a<tab>b", "a\tb"},
        // Misnested and unmatched tags close what they can and no more.
        {"<b>bold<i>both</b>plain?</i>", "{b}bold{bi}bothplain?"},
        {"</b>stray close", "stray close"},
        {"<b>never closed", "{b}never closed"},
        // Entities, named and numbered, and what is not one.
        {"&lt;&gt;&amp;&quot;&apos;&nbsp;", "<>&\"'\u00A0"},
        {"&#65;&#x42;&#X43;", "ABC"},
        {"&bogus; & &#xD800; &#; &amp", "&bogus; & &#xD800; &#; &amp"},
        // Garbage stays text; unknown tags vanish with their text kept.
        {"a < b > c", "a < b > c"},
        {"<<b>>", "<{b}>"},
        {"<span class='x'>kept</span><img src='y'>", "kept"},
        {"x<!-- note <b> -->y", "xy"},
        {"cut <font size='30", "cut "},
        {"<font size=14 color=#00ff00>bare</font>", "{14#00ff00}bare"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parse(QString::fromUtf8(c.html)), c.expected) << c.html;
}

TEST(HtmlText, ParagraphFormatsComeFromPAndTextformat)
{
    swf::ParagraphFormat baseParagraph;
    baseParagraph.leftMargin = 20;
    const auto paragraphs = swf::parseHtmlText(
        "<p align='center'>c</p><textformat leftmargin='5' rightmargin='6' indent='-7' blockindent='8' leading='9' "
        "tabstops='30,10,x'><p align='JUSTIFY'>j</p><li>item</li></textformat><p>after</p><p align='sideways'>odd</p>",
        base(), baseParagraph);
    ASSERT_EQ(paragraphs.size(), 5u);
    EXPECT_EQ(paragraphs[0].format.align, swf::TextAlign::Center);
    EXPECT_EQ(paragraphs[0].format.leftMargin, 20);

    const swf::ParagraphFormat& j = paragraphs[1].format;
    EXPECT_EQ(j.align, swf::TextAlign::Justify);
    EXPECT_EQ(j.leftMargin, 100);
    EXPECT_EQ(j.rightMargin, 120);
    EXPECT_EQ(j.indent, -140);
    EXPECT_EQ(j.blockIndent, 160);
    EXPECT_EQ(j.leading, 180);
    EXPECT_EQ(j.tabStops, (std::vector<double> {200, 600}));
    EXPECT_FALSE(j.bullet);

    EXPECT_TRUE(paragraphs[2].format.bullet);
    EXPECT_EQ(paragraphs[2].format.leftMargin, 100);

    EXPECT_EQ(paragraphs[3].format, baseParagraph);
    EXPECT_EQ(paragraphs[4].format.align, swf::TextAlign::Left);
}

TEST(HtmlText, HostileMarkupStaysLinear)
{
    // Each would take minutes if any step looked back over the input.
    const int n = 200000;
    const QString inputs[] = {
        QString("<b>").repeated(n) + "x" + QString("</i>").repeated(n),
        QString("&").repeated(n),
        QString("&#1234567").repeated(n / 8),
        QString("<a").repeated(n),
        QString("<p>").repeated(n),
        QString("<font size='+1'>").repeated(n) + "deep",
    };
    const auto start = std::chrono::steady_clock::now();
    for (const QString& input : inputs) {
        const auto paragraphs = swf::parseHtmlText(input, base(), {});
        ASSERT_FALSE(paragraphs.empty());
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));

    // Sizes cannot grow without bound however deep the nesting.
    const auto deep = swf::parseHtmlText(inputs[5], base(), {});
    EXPECT_LE(deep.back().spans.back().format.size, 127 * 20 * 8);
}

TEST(HtmlText, RawCarriageReturnsBreakSilently)
{
    const auto paragraphs = swf::parseHtmlText("a\rb\nc\r", base(), {});
    ASSERT_EQ(paragraphs.size(), 4u);
    EXPECT_TRUE(paragraphs[0].silentBreak);
    EXPECT_FALSE(paragraphs[1].silentBreak);
    EXPECT_TRUE(paragraphs[2].silentBreak);
}

TEST(HtmlText, WithoutTagBreaksOnlyRawBreaksEndLines)
{
    const auto run = [](const char* html) { return describe(swf::parseHtmlText(html, base(), {}, {}, false)); };
    EXPECT_EQ(run("a<br><li>b</li>c<p>d</p>e<br>"), "abcde");
    EXPECT_EQ(run("a\r<br>\nb"), "a||b");

    // The tags still set the paragraph formats of what they hold, and a
    // break takes those in force where it stands.
    const auto paragraphs = swf::parseHtmlText("a<p align='right'>b</p>\rc", base(), {}, {}, false);
    ASSERT_EQ(paragraphs.size(), 2u);
    ASSERT_EQ(paragraphs[0].spans.size(), 2u);
    EXPECT_EQ(paragraphs[0].spans[1].paragraph->align, swf::TextAlign::Right);
    EXPECT_EQ(paragraphs[0].breakFormat->align, swf::TextAlign::Left);
}
