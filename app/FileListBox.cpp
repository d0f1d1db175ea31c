#include "app/FileListBox.h"

#include <QDir>
#include <QFileInfo>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QToolTip>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "app/MoviePreviews.h"
#include "app/Paths.h"

namespace app {

namespace {

std::filesystem::path toFsPath(const QString& path)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

QString fromFsName(const std::filesystem::path& name)
{
#ifdef Q_OS_WIN
    return QString::fromStdWString(name.native());
#else
    return QFile::decodeName(QByteArray::fromStdString(name.native()));
#endif
}

bool isHiddenName(const QString& name)
{
#ifdef Q_OS_WIN
    Q_UNUSED(name);
    return false;
#else
    return name.startsWith(QLatin1Char('.'));
#endif
}

} // namespace

FileListBox::FileListBox(QWidget* parent)
    : QListView(parent)
{
    setModel(&m_model);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current, const QModelIndex&) { onCurrentChanged(current); });
    connect(this, &QListView::clicked, this, &FileListBox::onClicked);
}

QStringList FileListBox::listFolder(const QString& folder, const FilePattern& pattern)
{
    QStringList names;
    std::error_code error;
    std::filesystem::directory_iterator it(toFsPath(folder), std::filesystem::directory_options::skip_permission_denied,
                                           error);
    const std::filesystem::directory_iterator end;
    // A folder that fails part way (vanished, network gone) keeps what was read.
    for (; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError))
            continue;
        const QString name = fromFsName(it->path().filename());
        if (!isHiddenName(name) && pattern.matches(name))
            names << name;
    }
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int order = a.compare(b, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a < b;
    });
    return names;
}

bool FileListBox::setPath(const QString& folder)
{
    if (!QFileInfo(folder).isDir())
        return false;
    m_path = normalFolder(folder);
    refresh();
    return true;
}

void FileListBox::setPattern(const QString& pattern)
{
    m_pattern = FilePattern(pattern);
    refresh();
}

void FileListBox::refresh()
{
    m_names = m_path.isEmpty() ? QStringList() : listFolder(m_path, m_pattern);
    QSignalBlocker quiet(selectionModel());
    m_model.setStringList(m_names);
    m_currentBeforePress = QModelIndex();
}

QString FileListBox::fileName() const
{
    // The current entry, not the selection: a mouse press makes an entry
    // current before it selects it, and the click is reported in between.
    const QModelIndex current = currentIndex();
    return current.isValid() ? m_names.value(current.row()) : QString();
}

bool FileListBox::setFileName(const QString& value)
{
    if (QFileInfo(value).isDir())
        return setPath(value);
    const QFileInfo info(value);
    if (FilePattern::isPattern(info.fileName())) {
        const QString folder = value.contains(QLatin1Char('/')) || value.contains(QDir::separator()) ? info.path()
                                                                                                     : m_path;
        if (!folder.isEmpty() && !QFileInfo(folder).isDir())
            return false;
        m_path = folder.isEmpty() ? folder : normalFolder(folder);
        setPattern(info.fileName());
        return true;
    }
    const int index = int(m_names.indexOf(value));
    if (index < 0)
        return false;
    setListIndex(index);
    return true;
}

int FileListBox::listIndex() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void FileListBox::setListIndex(int index)
{
    if (index < 0 || index >= m_names.size()) {
        selectionModel()->clear();
        return;
    }
    setCurrentIndex(m_model.index(index));
}

void FileListBox::mousePressEvent(QMouseEvent* event)
{
    m_currentBeforePress = currentIndex();
    QListView::mousePressEvent(event);
}

void FileListBox::onCurrentChanged(const QModelIndex& current)
{
    if (current.isValid())
        emit Click();
}

void FileListBox::onClicked(const QModelIndex& index)
{
    // A click on a new entry was already reported through the current change.
    if (index.isValid() && index == m_currentBeforePress)
        emit Click();
}

void FileListBox::setPreviews(MoviePreviews* previews)
{
    if (m_previews)
        m_previews->disconnect(this);
    m_previews = previews;
    if (m_previews)
        connect(m_previews, &MoviePreviews::ready, this, &FileListBox::onPreviewReady);
}

bool FileListBox::viewportEvent(QEvent* event)
{
    if (event->type() != QEvent::ToolTip || !m_previews)
        return QListView::viewportEvent(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QModelIndex index = indexAt(help->pos());
    if (!index.isValid()) {
        m_tipPath.clear();
        QToolTip::hideText();
        return true;
    }
    m_tipPath = joinPath(m_path, m_names.value(index.row()));
    QToolTip::showText(help->globalPos(), m_previews->toolTip(m_tipPath), viewport(), visualRect(index));
    return true;
}

void FileListBox::onPreviewReady(const QString& path)
{
    // Only the tooltip still showing that entry is brought up to date.
    if (path != m_tipPath || !QToolTip::isVisible())
        return;
    const int row = int(m_names.indexOf(QFileInfo(path).fileName()));
    if (row < 0)
        return;
    const QRect area = visualRect(m_model.index(row));
    QToolTip::showText(viewport()->mapToGlobal(area.center()), m_previews->toolTip(path), viewport(), area);
}

} // namespace app
