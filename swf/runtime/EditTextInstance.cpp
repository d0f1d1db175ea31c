#include "swf/runtime/EditTextInstance.h"

#include "swf/text/FormattedText.h"

namespace swf {

EditTextInstance::EditTextInstance(Stage& stage, std::uint16_t id, std::shared_ptr<const EditTextDefinition> definition,
                                   std::shared_ptr<const Font> font)
    : DisplayObject(Type::EditText, stage, id, definition)
    , m_definition(std::move(definition))
    , m_font(std::move(font))
    , m_text(field().initialText ? decodeMovieText(*field().initialText) : QString())
    , m_html(field().html)
{
}

void EditTextInstance::setText(const QString& text, bool html)
{
    if (text == m_text && html == m_html)
        return;
    m_text = text;
    m_html = html;
    m_layout.reset();
    changed();
}

std::shared_ptr<const TextLayout> EditTextInstance::layout() const
{
    if (!m_layout)
        m_layout = layoutField(field(), m_text, m_html, m_font);
    return m_layout;
}

} // namespace swf
