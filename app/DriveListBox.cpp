#include "app/DriveListBox.h"

#include "platform/Drives.h"

namespace app {

DriveListBox::DriveListBox(platform::Drives& drives, QWidget* parent)
    : QComboBox(parent)
    , m_drives(drives)
{
    refresh();
    connect(this, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            emit Change();
    });
}

void DriveListBox::refresh()
{
    const QSignalBlocker quiet(this);
    const QString chosen = drive();
    clear();
    addItems(m_drives.roots());
    const int index = findText(chosen);
    setCurrentIndex(index >= 0 ? index : (count() > 0 ? 0 : -1));
}

void DriveListBox::setDrive(const QString& pathOnDrive)
{
    const QString root = m_drives.driveOf(pathOnDrive);
    if (root.isEmpty())
        return;
    int index = findText(root);
    if (index < 0) {
        addItem(root);
        index = count() - 1;
    }
    setCurrentIndex(index);
}

} // namespace app
