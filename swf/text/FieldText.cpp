#include "swf/text/FieldText.h"

#include <algorithm>

namespace swf {

namespace {

bool isBreak(QChar c)
{
    return c == u'\r' || c == u'\n';
}

qsizetype breaksIn(QStringView text)
{
    return std::ranges::count_if(text, isBreak);
}

} // namespace

FieldText::FieldText(const std::vector<Paragraph>& paragraphs)
{
    m_paragraphs.clear();
    for (std::size_t p = 0; p < paragraphs.size(); ++p) {
        m_paragraphs.push_back(paragraphs[p].format);
        for (const TextSpan& span : paragraphs[p].spans) {
            if (span.text.isEmpty())
                continue;
            m_text += span.text;
            m_runs.push_back({m_text.size(), span.format});
        }
        if (p + 1 < paragraphs.size()) {
            m_text += u'\r';
            // The break takes the format of what it ends.
            if (m_runs.empty())
                m_runs.push_back({m_text.size(), paragraphs[p].spans.empty() ? CharFormat() : paragraphs[p].spans.back().format});
            else
                m_runs.back().end = m_text.size();
        }
    }
    if (m_paragraphs.empty())
        m_paragraphs.emplace_back();
    mergeRuns();
}

FieldText::FieldText(const QString& text, const CharFormat& format, const ParagraphFormat& paragraph)
    : m_text(text)
    , m_paragraphs(std::size_t(breaksIn(text)) + 1, paragraph)
{
    if (!text.isEmpty())
        m_runs.push_back({text.size(), format});
}

std::vector<Paragraph> FieldText::paragraphs() const
{
    std::vector<Paragraph> out(1, Paragraph {m_paragraphs.front(), {}});
    qsizetype start = 0;
    for (const Run& run : m_runs) {
        qsizetype from = start;
        for (qsizetype i = start; i < run.end; ++i) {
            if (!isBreak(m_text[i]))
                continue;
            if (i > from)
                out.back().spans.push_back({m_text.mid(from, i - from), run.format});
            const std::size_t next = std::min(out.size(), m_paragraphs.size() - 1);
            out.push_back({m_paragraphs[next], {}});
            from = i + 1;
        }
        if (run.end > from)
            out.back().spans.push_back({m_text.mid(from, run.end - from), run.format});
        start = run.end;
    }
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
        if (!merged.empty() && merged.back().format == run.format)
            merged.back().end = run.end;
        else
            merged.push_back(std::move(run));
    }
    m_runs = std::move(merged);
}

std::size_t FieldText::paragraphAt(qsizetype index) const
{
    const qsizetype clamped = std::clamp<qsizetype>(index, 0, m_text.size());
    const std::size_t breaks = std::size_t(breaksIn(QStringView(m_text).first(clamped)));
    return std::min(breaks, m_paragraphs.size() - 1);
}

void FieldText::replace(qsizetype begin, qsizetype end, const QString& text, const CharFormat& format, const ParagraphFormat& paragraph)
{
    begin = std::clamp<qsizetype>(begin, 0, m_text.size());
    end = std::clamp<qsizetype>(end, begin, m_text.size());
    const QString& inserted = text;

    const std::size_t first = paragraphAt(begin);
    const auto removedBreaks = std::ptrdiff_t(breaksIn(QStringView(m_text).mid(begin, end - begin)));
    const auto addedBreaks = std::ptrdiff_t(breaksIn(inserted));
    const auto from = m_paragraphs.begin() + std::ptrdiff_t(first) + 1;
    m_paragraphs.erase(from, from + removedBreaks);
    m_paragraphs.insert(m_paragraphs.begin() + std::ptrdiff_t(first) + 1, std::size_t(addedBreaks), paragraph);

    split(begin);
    split(end);
    std::size_t at = runAt(begin);
    while (at < m_runs.size() && m_runs[at].end <= end)
        m_runs.erase(m_runs.begin() + std::ptrdiff_t(at));
    const qsizetype delta = inserted.size() - (end - begin);
    for (std::size_t i = at; i < m_runs.size(); ++i)
        m_runs[i].end += delta;
    if (!inserted.isEmpty())
        m_runs.insert(m_runs.begin() + std::ptrdiff_t(at), Run {begin + inserted.size(), format});
    m_text.replace(begin, end - begin, inserted);
    mergeRuns();
}

void FieldText::editCharFormats(qsizetype begin, qsizetype end, const std::function<void(CharFormat&)>& edit)
{
    begin = std::clamp<qsizetype>(begin, 0, m_text.size());
    end = std::clamp<qsizetype>(end, begin, m_text.size());
    if (begin == end)
        return;
    split(begin);
    split(end);
    for (std::size_t i = runAt(begin); i < m_runs.size() && m_runs[i].end <= end; ++i)
        edit(m_runs[i].format);
    mergeRuns();
}

void FieldText::editParagraphFormats(qsizetype begin, qsizetype end, const std::function<void(ParagraphFormat&)>& edit)
{
    begin = std::clamp<qsizetype>(begin, 0, m_text.size());
    end = std::clamp<qsizetype>(end, begin, m_text.size());
    const std::size_t last = paragraphAt(std::max(begin, end - 1));
    for (std::size_t p = paragraphAt(begin); p <= last; ++p)
        edit(m_paragraphs[p]);
}

void FieldText::visitCharFormats(qsizetype begin, qsizetype end, const std::function<void(const CharFormat&)>& visit) const
{
    begin = std::clamp<qsizetype>(begin, 0, m_text.size());
    end = std::clamp<qsizetype>(end, begin, m_text.size());
    for (std::size_t i = runAt(begin); i < m_runs.size(); ++i) {
        visit(m_runs[i].format);
        if (m_runs[i].end >= end)
            break;
    }
}

void FieldText::visitParagraphFormats(qsizetype begin, qsizetype end, const std::function<void(const ParagraphFormat&)>& visit) const
{
    begin = std::clamp<qsizetype>(begin, 0, m_text.size());
    end = std::clamp<qsizetype>(end, begin, m_text.size());
    const std::size_t last = paragraphAt(std::max(begin, end - 1));
    for (std::size_t p = paragraphAt(begin); p <= last; ++p)
        visit(m_paragraphs[p]);
}

} // namespace swf
