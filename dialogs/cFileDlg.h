#pragma once

#include <cstdint>
#include <memory>
#include <utility>

#include <QString>

#include "platform/FileDialogs.h"

class QWidget;

namespace dialogs {

class cFilters;

// The system's open and save dialogs as an object with properties: set what
// is needed, show, then read Filename (and FileTitle, FilterIndex) back.
class cFileDlg {
public:
    // The longest Filename or FileTitle the dialog buffers take: room for
    // any path the system accepts.
    static constexpr int kMaxPath = int(platform::kMaxPathBuffer);
    // The custom filter buffer, which holds no path.
    static constexpr int kMaxCustomFilter = 255;

    explicit cFileDlg(platform::FileDialogs& system);

    // True from the first show that ended without a file, for good.
    bool Cancelled() const { return m_cancelled; }
    // The same shared list on every read.
    std::shared_ptr<cFilters> Filters() const { return m_filters; }

    void InitDir(QString vData) { m_initDir = std::move(vData); }
    QString InitDir() const { return m_initDir; }
    void DefExt(QString vData) { m_defExt = std::move(vData); }
    QString DefExt() const { return m_defExt; }
    void Title(QString vData) { m_title = std::move(vData); }
    QString Title() const { return m_title; }
    void FilterIndex(std::int32_t vData) { m_filterIndex = vData; }
    std::int32_t FilterIndex() const { return m_filterIndex; }
    void Flags(std::int32_t vData) { m_flags = vData; }
    std::int32_t Flags() const { return m_flags; }
    void Filename(QString vData) { m_filename = std::move(vData); }
    QString Filename() const { return m_filename; }
    void FileTitle(QString vData) { m_fileTitle = std::move(vData); }
    QString FileTitle() const { return m_fileTitle; }

    // Each shows its modal dialog and returns true when a file was chosen.
    // Filename, FileTitle and FilterIndex are read back whatever the result.
    // A Filename or FileTitle over kMaxPath characters throws
    // std::invalid_argument before anything is shown or changed.
    bool ShowOpen(QWidget* hWnd);
    bool ShowSave(QWidget* hWnd);

private:
    enum class Kind { Open, Save };

    bool show(Kind kind, QWidget* hWnd);
    static QString TrimAtNull(const QString& text);

    platform::FileDialogs& m_system;
    platform::OpenFileName m_record;
    QString m_initDir;
    QString m_filename;
    QString m_fileTitle;
    std::int32_t m_flags = 0x285000;
    std::int32_t m_filterIndex = 0;
    QString m_title;
    QString m_customFilter;
    QString m_defExt;
    bool m_cancelled = false;
    std::shared_ptr<cFilters> m_filters;
};

} // namespace dialogs
