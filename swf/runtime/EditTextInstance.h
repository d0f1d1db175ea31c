#pragma once

// A text field on stage: it starts with its definition's text and keeps
// its own from then on. Its layout is worked out when the text changes,
// not at every paint.

#include <memory>

#include <QString>

#include "swf/define/Definitions.h"
#include "swf/runtime/DisplayObject.h"
#include "swf/text/TextLayout.h"

namespace swf {

class EditTextInstance final : public DisplayObject {
public:
    EditTextInstance(Stage& stage, std::uint16_t id, std::shared_ptr<const EditTextDefinition> definition,
                     std::shared_ptr<const Font> font);

    const EditText& field() const { return m_definition->field; }
    const QString& text() const { return m_text; }
    bool isHtml() const { return m_html; }
    void setText(const QString& text, bool html);

    // The field's current text laid out, shared with whoever draws it.
    std::shared_ptr<const TextLayout> layout() const;

private:
    std::shared_ptr<const EditTextDefinition> m_definition;
    std::shared_ptr<const Font> m_font;
    QString m_text;
    bool m_html = false;
    mutable std::shared_ptr<const TextLayout> m_layout;
};

} // namespace swf
