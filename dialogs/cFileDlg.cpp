#include "dialogs/cFileDlg.h"

#include <stdexcept>

#include <QCoreApplication>

#include "dialogs/cFilters.h"

namespace dialogs {

namespace {

constexpr QChar kNul(u'\0');

// The text, then NULs up to `capacity` characters, then the closing NUL.
QString padded(const QString& text, int capacity)
{
    return text + QString(capacity - text.size(), kNul) + kNul;
}

QByteArray eightBit(const QString& text)
{
    return text.toUtf8();
}

QString wide(const QByteArray& text)
{
    return QString::fromUtf8(text);
}

template <typename From, typename To, typename Convert>
void copyRecord(const platform::BasicOpenFileName<From>& from, platform::BasicOpenFileName<To>& to,
                Convert convert)
{
    to.lStructSize = from.lStructSize;
    to.hwndOwner = from.hwndOwner;
    to.hInstance = from.hInstance;
    to.lpstrFilter = convert(from.lpstrFilter);
    to.lpstrCustomFilter = convert(from.lpstrCustomFilter);
    to.nMaxCustFilter = from.nMaxCustFilter;
    to.nFilterIndex = from.nFilterIndex;
    to.lpstrFile = convert(from.lpstrFile);
    to.nMaxFile = from.nMaxFile;
    to.lpstrFileTitle = convert(from.lpstrFileTitle);
    to.nMaxFileTitle = from.nMaxFileTitle;
    to.lpstrInitialDir = convert(from.lpstrInitialDir);
    to.lpstrTitle = convert(from.lpstrTitle);
    to.Flags = from.Flags;
    to.nFileOffset = from.nFileOffset;
    to.nFileExtension = from.nFileExtension;
    to.lpstrDefExt = convert(from.lpstrDefExt);
    to.lCustData = from.lCustData;
    to.lpfnHook = from.lpfnHook;
    to.lpTemplateName = convert(from.lpTemplateName);
}

} // namespace

cFileDlg::cFileDlg(platform::FileDialogs& system)
    : m_system(system)
    , m_filters(std::make_shared<cFilters>())
{
    m_record.lStructSize = platform::kOpenFileNameSize;
    // Linux has no module instance handle; the application object stands for
    // the program the same way.
    m_record.hInstance = QCoreApplication::instance();
    m_filters->AddFilter(QStringLiteral("All Files (*.*)"), QStringLiteral("*.*"));
}

bool cFileDlg::ShowOpen(QWidget* hWnd)
{
    return show(Kind::Open, hWnd);
}

bool cFileDlg::ShowSave(QWidget* hWnd)
{
    return show(Kind::Save, hWnd);
}

bool cFileDlg::show(Kind kind, QWidget* hWnd)
{
    if (m_filename.size() > kMaxPath || m_fileTitle.size() > kMaxPath)
        throw std::invalid_argument("Invalid procedure call or argument");

    m_record.Flags = static_cast<std::uint32_t>(m_flags);
    m_record.hwndOwner = hWnd;
    m_record.lpstrDefExt = m_defExt;
    m_record.lpstrFile = padded(m_filename, kMaxPath);
    m_record.nMaxFile = kMaxPath;
    m_record.lpstrFileTitle = padded(m_fileTitle, kMaxPath);
    m_record.nMaxFileTitle = kMaxPath;
    m_record.nMaxCustFilter = kMaxCustomFilter;
    m_record.lpstrCustomFilter = padded(m_customFilter, kMaxCustomFilter);
    m_record.lpstrFilter = m_filters->BuildFilterBuffer();
    m_record.lpstrInitialDir = m_initDir + kNul;
    m_record.nFilterIndex = m_filterIndex;
    m_record.lpstrTitle = m_title + kNul;

    platform::OpenFileNameA copy;
    copyRecord(m_record, copy, eightBit);
    const bool chosen = kind == Kind::Open ? m_system.getOpenFileName(copy) : m_system.getSaveFileName(copy);
    copyRecord(copy, m_record, wide);

    if (!chosen)
        m_cancelled = true;
    m_filename = TrimAtNull(m_record.lpstrFile);
    m_fileTitle = TrimAtNull(m_record.lpstrFileTitle);
    m_filterIndex = m_record.nFilterIndex;
    return chosen;
}

QString cFileDlg::TrimAtNull(const QString& text)
{
    const qsizetype nul = text.indexOf(kNul);
    return nul < 0 ? text : text.left(nul);
}

} // namespace dialogs
