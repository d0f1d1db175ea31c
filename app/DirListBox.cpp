#include "app/DirListBox.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>

#include "app/Paths.h"

namespace app {

namespace {

constexpr int kPathRole = Qt::UserRole + 1;

QStringList chainOf(const QString& folder)
{
    QStringList chain;
    QDir dir(folder);
    chain.prepend(normalFolder(dir.absolutePath()));
    while (dir.cdUp())
        chain.prepend(normalFolder(dir.absolutePath()));
    return chain;
}

} // namespace

DirListBox::DirListBox(QWidget* parent)
    : QListWidget(parent)
{
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemActivated, this, &DirListBox::openEntry);
}

bool DirListBox::setPath(const QString& folder)
{
    const QFileInfo info(folder);
    if (folder.isEmpty() || !info.isDir())
        return false;
    const QString normal = normalFolder(info.absoluteFilePath());
    if (normal == m_path)
        return true;
    m_path = normal;
    refresh();
    emit Change();
    return true;
}

void DirListBox::refresh()
{
    clear();
    const QStringList chain = chainOf(m_path);
    int depth = 0;
    for (const QString& folder : chain) {
        const QString name = depth == 0 ? folder : QFileInfo(folder).fileName();
        auto* item = new QListWidgetItem(QString(depth * 2, QLatin1Char(' ')) + name, this);
        item->setData(kPathRole, folder);
        ++depth;
    }
    setCurrentRow(count() - 1);
    // An unreadable folder simply shows no subfolders.
    const QStringList children =
        QDir(m_path).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& child : children) {
        auto* item = new QListWidgetItem(QString(depth * 2, QLatin1Char(' ')) + child, this);
        item->setData(kPathRole, joinPath(m_path, child));
    }
}

QString DirListBox::entryPath(int row) const
{
    const QListWidgetItem* entry = item(row);
    return entry ? entry->data(kPathRole).toString() : QString();
}

void DirListBox::openEntry(QListWidgetItem* item)
{
    // A folder that vanished since it was listed: show what is there now.
    if (!setPath(item->data(kPathRole).toString()))
        refresh();
}

} // namespace app
