#include "swf/script/XmlParser.h"

#include <unordered_set>

namespace swf::script {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool onlySpace(std::string_view text)
{
    for (char c : text)
        if (!isSpace(c))
            return false;
    return true;
}

// A name runs to white space, '>', '/' or '='.
std::size_t nameEnd(std::string_view text, std::size_t at)
{
    while (at < text.size() && !isSpace(text[at]) && text[at] != '>' && text[at] != '/' && text[at] != '=')
        ++at;
    return at;
}

std::size_t skipSpace(std::string_view text, std::size_t at)
{
    while (at < text.size() && isSpace(text[at]))
        ++at;
    return at;
}

class Parser {
public:
    Parser(std::string_view text, bool ignoreWhite)
        : m_text(text)
        , m_ignoreWhite(ignoreWhite)
    {
    }

    XmlDocumentData run()
    {
        std::size_t at = 0;
        while (at < m_text.size() && m_doc.status == XmlStatus::Ok) {
            const std::size_t open = m_text.find('<', at);
            addText(m_text.substr(at, open == std::string_view::npos ? std::string_view::npos : open - at), true);
            if (open == std::string_view::npos)
                break;
            at = markup(open);
        }
        if (m_doc.status == XmlStatus::Ok && !m_open.empty())
            m_doc.status = XmlStatus::UnclosedElement;
        // Whatever is still open joins the tree as it stands.
        while (!m_open.empty())
            close();
        return std::move(m_doc);
    }

private:
    std::vector<XmlNodeData>& siblings() { return m_open.empty() ? m_doc.nodes : m_open.back().children; }

    void addText(std::string_view raw, bool decode)
    {
        if (raw.empty() || (m_ignoreWhite && onlySpace(raw)))
            return;
        XmlNodeData node;
        node.type = XmlNodeData::Type::Text;
        node.value = decode ? unescapeXml(raw) : std::string(raw);
        siblings().push_back(std::move(node));
    }

    void close()
    {
        XmlNodeData done = std::move(m_open.back());
        m_open.pop_back();
        siblings().push_back(std::move(done));
    }

    std::size_t fail(int status)
    {
        m_doc.status = status;
        return m_text.size();
    }

    // Reads the markup at `at` ('<'); returns where reading goes on.
    std::size_t markup(std::size_t at)
    {
        const std::string_view rest = m_text.substr(at);
        if (rest.starts_with("<!--")) {
            const std::size_t end = m_text.find("-->", at + 4);
            return end == std::string_view::npos ? fail(XmlStatus::UnterminatedComment) : end + 3;
        }
        if (rest.starts_with("<![CDATA[")) {
            const std::size_t end = m_text.find("]]>", at + 9);
            if (end == std::string_view::npos)
                return fail(XmlStatus::UnterminatedCdata);
            addText(m_text.substr(at + 9, end - at - 9), false);
            return end + 3;
        }
        if (rest.starts_with("<!")) {
            const std::size_t end = m_text.find('>', at);
            if (end == std::string_view::npos)
                return fail(XmlStatus::UnterminatedDoctype);
            m_doc.docTypeDecl = std::string(m_text.substr(at, end + 1 - at));
            return end + 1;
        }
        if (rest.starts_with("<?")) {
            const std::size_t end = m_text.find("?>", at);
            if (end == std::string_view::npos)
                return fail(XmlStatus::UnterminatedDeclaration);
            m_doc.xmlDecl += m_text.substr(at, end + 2 - at);
            return end + 2;
        }
        if (rest.starts_with("</"))
            return endTag(at + 2);
        return startTag(at + 1);
    }

    std::size_t endTag(std::size_t at)
    {
        const std::size_t end = m_text.find('>', at);
        if (end == std::string_view::npos)
            return fail(XmlStatus::MalformedElement);
        std::string_view name = m_text.substr(at, end - at);
        while (!name.empty() && isSpace(name.back()))
            name.remove_suffix(1);
        if (m_open.empty() || m_open.back().name != name)
            return fail(XmlStatus::UnmatchedEndTag);
        close();
        return end + 1;
    }

    std::size_t startTag(std::size_t at)
    {
        const std::size_t afterName = nameEnd(m_text, at);
        if (afterName == at)
            return fail(XmlStatus::MalformedElement);
        XmlNodeData element;
        std::unordered_set<std::string_view> keys;
        element.name = std::string(m_text.substr(at, afterName - at));
        std::size_t i = afterName;
        for (;;) {
            i = skipSpace(m_text, i);
            if (i >= m_text.size())
                return fail(XmlStatus::MalformedElement);
            if (m_text[i] == '>' || (m_text[i] == '/' && i + 1 < m_text.size() && m_text[i + 1] == '>'))
                break;
            const std::size_t keyEnd = nameEnd(m_text, i);
            if (keyEnd == i)
                return fail(XmlStatus::MalformedElement);
            const std::string_view key = m_text.substr(i, keyEnd - i);
            i = skipSpace(m_text, keyEnd);
            if (i >= m_text.size() || m_text[i] != '=')
                return fail(XmlStatus::MalformedElement);
            i = skipSpace(m_text, i + 1);
            if (i >= m_text.size() || (m_text[i] != '"' && m_text[i] != '\''))
                return fail(XmlStatus::MalformedElement);
            const std::size_t close = m_text.find(m_text[i], i + 1);
            if (close == std::string_view::npos)
                return fail(XmlStatus::UnterminatedAttribute);
            std::string value = unescapeXml(m_text.substr(i + 1, close - i - 1));
            // A repeated attribute keeps its first value.
            if (keys.insert(key).second)
                element.attributes.emplace_back(std::string(key), std::move(value));
            i = close + 1;
        }
        const bool empty = m_text[i] == '/';
        if (!empty && m_open.size() >= kMaxXmlDepth)
            return fail(XmlStatus::MalformedElement);
        if (empty)
            siblings().push_back(std::move(element));
        else
            m_open.push_back(std::move(element));
        return i + (empty ? 2 : 1);
    }

    std::string_view m_text;
    bool m_ignoreWhite;
    XmlDocumentData m_doc;
    std::vector<XmlNodeData> m_open;
};

} // namespace

XmlDocumentData parseXml(std::string_view text, bool ignoreWhite)
{
    return Parser(text, ignoreWhite).run();
}

std::string escapeXml(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string unescapeXml(std::string_view text)
{
    static constexpr std::pair<std::string_view, char> kEntities[] {
        {"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        bool matched = false;
        if (text[i] == '&') {
            for (const auto& [entity, c] : kEntities) {
                if (text.substr(i).starts_with(entity)) {
                    out += c;
                    i += entity.size();
                    matched = true;
                    break;
                }
            }
        }
        if (!matched)
            out += text[i++];
    }
    return out;
}

} // namespace swf::script
