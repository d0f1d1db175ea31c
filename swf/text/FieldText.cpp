#include "swf/text/FieldText.h"

#include <algorithm>

namespace swf {

namespace {

bool isBreak(QChar c)
{
    return c == u'\r' || c == u'\n';
}

} // namespace

FieldText::FieldText(const std::vector<Paragraph>& paragraphs)
{
    if (!paragraphs.empty())
        m_emptyParagraph = paragraphs.front().format;
    for (std::size_t p = 0; p < paragraphs.size(); ++p) {
        const Paragraph& paragraph = paragraphs[p];
        for (const TextSpan& span : paragraph.spans) {
            if (span.text.isEmpty())
                continue;
            m_text += span.text;
            appendRun(m_text.size(), span.format, span.paragraph.value_or(paragraph.format));
        }
        if (p + 1 == paragraphs.size())
            break;
        m_text += u'\r';
        // The break takes the character format of what it ends.
        const CharFormat& format = !paragraph.spans.empty() ? paragraph.spans.back().format
                                   : !m_runs.empty()        ? m_runs.back().format
                                                            : CharFormat();
        appendRun(m_text.size(), format, paragraph.breakFormat.value_or(paragraph.format), paragraph.silentBreak);
    }
    mergeRuns();
}

FieldText::FieldText(const QString& text, const CharFormat& format, const ParagraphFormat& paragraph)
    : m_text(text)
    , m_emptyParagraph(paragraph)
{
    if (!text.isEmpty())
        m_runs.push_back({text.size(), format, paragraph});
}

QString FieldText::shownText() const
{
    QString shown;
    shown.reserve(m_text.size());
    qsizetype start = 0;
    for (const Run& run : m_runs) {
        if (!run.silent)
            shown += QStringView(m_text).mid(start, run.end - start);
        start = run.end;
    }
    return shown;
}

std::vector<Paragraph> FieldText::paragraphs() const
{
    std::vector<Paragraph> out;
    Paragraph current;
    bool begun = false; // whether `current` has its first character
    const auto begin = [&](const Run& run) {
        if (!begun)
            current.format = run.paragraph;
        begun = true;
    };
    // Runs that differ only in paragraph settings are one span of text.
    const auto addSpan = [&](qsizetype from, qsizetype to, const CharFormat& format) {
        if (!current.spans.empty() && current.spans.back().format == format)
            current.spans.back().text += QStringView(m_text).mid(from, to - from);
        else
            current.spans.push_back({m_text.mid(from, to - from), format});
    };
    qsizetype start = 0;
    for (const Run& run : m_runs) {
        qsizetype from = start;
        for (qsizetype i = start; i < run.end; ++i) {
            if (!isBreak(m_text[i]))
                continue;
            begin(run);
            // An empty line still has the format of its break.
            if (i > from || current.spans.empty())
                addSpan(from, i, run.format);
            current.silentBreak = run.silent;
            out.push_back(std::move(current));
            current = {};
            begun = false;
            from = i + 1;
        }
        if (run.end > from) {
            begin(run);
            addSpan(from, run.end, run.format);
        }
        start = run.end;
    }
    // The paragraph after a last break shows as that break does.
    if (!begun)
        current.format = m_runs.empty() ? m_emptyParagraph : m_runs.back().paragraph;
    out.push_back(std::move(current));
    return out;
}

std::size_t FieldText::runAt(qsizetype index) const
{
    const auto found = std::ranges::upper_bound(m_runs, index, {}, &Run::end);
    return std::size_t(found - m_runs.begin());
}

void FieldText::split(qsizetype index)
{
    if (index <= 0 || index >= m_text.size())
        return;
    const std::size_t at = runAt(index);
    const qsizetype start = at == 0 ? 0 : m_runs[at - 1].end;
    if (at >= m_runs.size() || start == index)
        return;
    Run before = m_runs[at];
    before.end = index;
    m_runs.insert(m_runs.begin() + std::ptrdiff_t(at), std::move(before));
}

void FieldText::mergeRuns()
{
    std::vector<Run> merged;
    for (Run& run : m_runs) {
        if (run.end <= (merged.empty() ? 0 : merged.back().end))
            continue; // empty
        if (!merged.empty() && merged.back().sameFormats(run))
            merged.back().end = run.end;
        else
            merged.push_back(std::move(run));
    }
    m_runs = std::move(merged);
}

void FieldText::appendRun(qsizetype end, const CharFormat& format, const ParagraphFormat& paragraph, bool silent)
{
    m_runs.push_back({end, format, paragraph, silent});
}

void FieldText::replace(qsizetype begin, qsizetype end, const QString& text, const CharFormat& format, const ParagraphFormat& paragraph,
                        Breaks breaks)
{
    begin = std::clamp<qsizetype>(begin, 0, m_text.size());
    end = std::clamp<qsizetype>(end, begin, m_text.size());

    split(begin);
    split(end);
    std::size_t at = runAt(begin);
    while (at < m_runs.size() && m_runs[at].end <= end)
        m_runs.erase(m_runs.begin() + std::ptrdiff_t(at));
    const qsizetype delta = text.size() - (end - begin);
    for (std::size_t i = at; i < m_runs.size(); ++i)
        m_runs[i].end += delta;

    // The new characters as runs: one for each stretch between silent
    // breaks, one for each silent break.
    QString inserted = text;
    std::vector<Run> added;
    qsizetype from = 0;
    for (qsizetype i = 0; i < inserted.size(); ++i) {
        if (breaks != Breaks::AsReplaced || !isBreak(inserted[i]))
            continue;
        if (inserted[i] == u'\n') {
            inserted[i] = u'\r';
            continue;
        }
        if (i > from)
            added.push_back({begin + i, format, paragraph});
        added.push_back({begin + i + 1, format, paragraph, true});
        from = i + 1;
    }
    if (inserted.size() > from)
        added.push_back({begin + inserted.size(), format, paragraph});
    m_runs.insert(m_runs.begin() + std::ptrdiff_t(at), added.begin(), added.end());
    m_text.replace(begin, end - begin, inserted);
    mergeRuns();
}

template<typename Edit>
void FieldText::editRuns(qsizetype begin, qsizetype end, const Edit& edit)
{
    begin = std::clamp<qsizetype>(begin, 0, m_text.size());
    end = std::clamp<qsizetype>(end, begin, m_text.size());
    if (begin == end)
        return;
    split(begin);
    split(end);
    for (std::size_t i = runAt(begin); i < m_runs.size() && m_runs[i].end <= end; ++i)
        edit(m_runs[i]);
    mergeRuns();
}

void FieldText::editCharFormats(qsizetype begin, qsizetype end, const std::function<void(CharFormat&)>& edit)
{
    editRuns(begin, end, [&](Run& run) { edit(run.format); });
}

void FieldText::editParagraphFormats(qsizetype begin, qsizetype end, const std::function<void(ParagraphFormat&)>& edit)
{
    editRuns(begin, end, [&](Run& run) { edit(run.paragraph); });
}

template<typename Visit>
void FieldText::visitRuns(qsizetype begin, qsizetype end, const Visit& visit) const
{
    begin = std::clamp<qsizetype>(begin, 0, m_text.size());
    end = std::clamp<qsizetype>(end, begin, m_text.size());
    for (std::size_t i = runAt(begin); i < m_runs.size(); ++i) {
        visit(m_runs[i]);
        if (m_runs[i].end >= end)
            break;
    }
}

void FieldText::visitCharFormats(qsizetype begin, qsizetype end, const std::function<void(const CharFormat&)>& visit) const
{
    visitRuns(begin, end, [&](const Run& run) { visit(run.format); });
}

void FieldText::visitParagraphFormats(qsizetype begin, qsizetype end, const std::function<void(const ParagraphFormat&)>& visit) const
{
    visitRuns(begin, end, [&](const Run& run) { visit(run.paragraph); });
}

} // namespace swf
