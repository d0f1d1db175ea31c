#pragma once

// The file list: the files of one folder that match a wildcard pattern,
// sorted by name. It counts its entries once per refresh, so asking for the
// count never touches the disk.

#include <QListView>
#include <QModelIndex>
#include <QStringList>
#include <QStringListModel>

#include "app/FilePattern.h"

namespace app {

class MoviePreviews;

class FileListBox : public QListView {
    Q_OBJECT
public:
    explicit FileListBox(QWidget* parent = nullptr);

    QString path() const { return m_path; }
    // Lists another folder; false, with the list unchanged, when it is not a
    // folder.
    bool setPath(const QString& folder);

    QString pattern() const { return m_pattern.text(); }
    void setPattern(const QString& pattern);

    // The bare name of the selected entry, or empty when none is selected.
    QString fileName() const;
    // A folder lists that folder; a pattern (optionally behind a folder)
    // becomes the pattern; the name of a listed file selects it. Anything
    // else leaves the list as it was and answers false.
    bool setFileName(const QString& value);

    int listCount() const { return int(m_names.size()); }
    QString entry(int index) const { return m_names.value(index); }
    int listIndex() const;
    void setListIndex(int index);

    // Reads the folder again.
    void refresh();

    // Resting the pointer on an entry shows its preview from these; none
    // shows no tooltips.
    void setPreviews(MoviePreviews* previews);

    // The matching file names of a folder, sorted; an unreadable folder
    // yields none.
    static QStringList listFolder(const QString& folder, const FilePattern& pattern);

signals:
    // A selection by mouse or keyboard, including a click on the entry that
    // is already selected.
    void Click();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void onCurrentChanged(const QModelIndex& current);
    void onClicked(const QModelIndex& index);
    void onPreviewReady(const QString& path);

    QString m_path;
    FilePattern m_pattern{QStringLiteral("*.*")};
    QStringList m_names;
    QStringListModel m_model;
    QModelIndex m_currentBeforePress;
    MoviePreviews* m_previews = nullptr;
    QString m_tipPath; // the entry whose tooltip is up, or waiting for its preview
};

} // namespace app
