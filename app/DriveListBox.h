#pragma once

#include <QComboBox>

namespace platform {
class Drives;
}

namespace app {

// The drive list: the roots the desktop offers for browsing.
class DriveListBox : public QComboBox {
    Q_OBJECT
public:
    explicit DriveListBox(platform::Drives& drives, QWidget* parent = nullptr);

    QString drive() const { return currentText(); }
    // Chooses a drive (by its root, or any path on it); Change is signalled
    // only when the drive actually changes.
    void setDrive(const QString& pathOnDrive);
    // Reads the list of drives again, keeping the choice where it can.
    void refresh();

signals:
    void Change();

private:
    platform::Drives& m_drives;
};

} // namespace app
