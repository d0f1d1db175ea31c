#pragma once

// The folder list: the chain of folders from the drive's root down to the
// chosen folder, then that folder's subfolders. Opening an entry (double
// click or Enter) makes it the chosen folder.

#include <QListWidget>

namespace app {

class DirListBox : public QListWidget {
    Q_OBJECT
public:
    explicit DirListBox(QWidget* parent = nullptr);

    QString path() const { return m_path; }
    // Moves to a folder; false, with nothing changed, when it is not one.
    // Change is signalled only when the folder actually changes.
    bool setPath(const QString& folder);
    // Reads the chosen folder's subfolders again.
    void refresh();

    // The full path of an entry of the list.
    QString entryPath(int row) const;

signals:
    void Change();

private:
    void openEntry(QListWidgetItem* item);

    QString m_path;
};

} // namespace app
