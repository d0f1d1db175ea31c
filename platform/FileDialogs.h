#pragma once

// The system's open and save dialogs, met through the Windows open-file
// record so that callers written against that record keep working: text
// fields are NUL-terminated byte buffers (UTF-8 here), the filter is a
// NUL-separated list of description/pattern pairs, and the dialog answers by
// writing into the caller's buffers.

#include <cstdint>

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

namespace platform {

class MessageBox;

// The record's flag bits, with their system values.
inline constexpr std::uint32_t OFN_READONLY = 0x1;
inline constexpr std::uint32_t OFN_OVERWRITEPROMPT = 0x2;
inline constexpr std::uint32_t OFN_HIDEREADONLY = 0x4;
inline constexpr std::uint32_t OFN_NOCHANGEDIR = 0x8;
inline constexpr std::uint32_t OFN_ALLOWMULTISELECT = 0x200;
inline constexpr std::uint32_t OFN_PATHMUSTEXIST = 0x800;
inline constexpr std::uint32_t OFN_FILEMUSTEXIST = 0x1000;
inline constexpr std::uint32_t OFN_CREATEPROMPT = 0x2000;
inline constexpr std::uint32_t OFN_SHAREAWARE = 0x4000;
inline constexpr std::uint32_t OFN_EXPLORER = 0x80000;
inline constexpr std::uint32_t OFN_LONGNAMES = 0x200000;

// The longest path the system accepts, in bytes of the dialogs' 8-bit
// form with its terminating NUL: the buffers for a file name are this big.
#if defined(Q_OS_WIN)
inline constexpr std::uint32_t kMaxPathBuffer = 32767;
#else
inline constexpr std::uint32_t kMaxPathBuffer = 4096;
#endif

// The size the record announces: the layout without the fields that later
// system versions appended after lpTemplateName.
inline constexpr std::uint32_t kOpenFileNameSize = 76;

// The open-file record. Text is QString where a program keeps its own copy
// and QByteArray for the 8-bit copy handed to the dialog.
template <typename Text>
struct BasicOpenFileName {
    std::uint32_t lStructSize = 0;
    QWidget* hwndOwner = nullptr;
    const void* hInstance = nullptr;
    Text lpstrFilter;
    Text lpstrCustomFilter;
    std::uint32_t nMaxCustFilter = 0;
    std::int32_t nFilterIndex = 0;
    Text lpstrFile;
    std::uint32_t nMaxFile = 0;
    Text lpstrFileTitle;
    std::uint32_t nMaxFileTitle = 0;
    Text lpstrInitialDir;
    Text lpstrTitle;
    std::uint32_t Flags = 0;
    std::uint16_t nFileOffset = 0;
    std::uint16_t nFileExtension = 0;
    Text lpstrDefExt;
    std::intptr_t lCustData = 0;
    const void* lpfnHook = nullptr;
    Text lpTemplateName;
};

using OpenFileName = BasicOpenFileName<QString>;
using OpenFileNameA = BasicOpenFileName<QByteArray>;

// GetOpenFileNameA and GetSaveFileNameA: show the modal dialog the record
// describes; true when the person confirmed a file, which is then written
// into lpstrFile (and lpstrFileTitle, nFilterIndex). False on cancel or when
// the answer does not fit the buffers.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    virtual bool getOpenFileName(OpenFileNameA& record) = 0;
    virtual bool getSaveFileName(OpenFileNameA& record) = 0;
};

// The rules every dialog behind the record follows, kept apart from any
// widget so that they can be checked without showing one.
namespace filedialog {

struct FilterPair {
    QString description;
    QString pattern;
};

// The text of a buffer up to its first NUL.
QString textOf(const QByteArray& buffer);

// The pairs of a filter buffer, up to the first empty string.
QList<FilterPair> filterPairs(const QByteArray& buffer);

// The path with ".ext" appended when its name has no extension of its own.
QString withDefaultExtension(const QString& path, const QString& extension);

enum class Verdict {
    Accept,
    PathMissing,   // the folder does not exist
    FileMissing,   // an open dialog was told the file must exist
    AskCreate,     // a new file, and the caller wants to be asked first
    AskOverwrite,  // an existing file, and the caller wants to be asked first
    TooLong,       // the answer does not fit the caller's buffer
};

// What the dialog does with one chosen path, for the flags of the record.
Verdict judge(const QString& path, std::uint32_t flags, bool saving);

// The message for a verdict, in the dialog's own words.
QString promptFor(Verdict verdict, const QString& path);

// Writes the confirmed choice (full paths) into the record as the system
// dialog would: the path (or, for several files in the multi-select form,
// the folder and each name), NUL-terminated, within nMaxFile; the name part
// within nMaxFileTitle; the filter number. False when the path does not
// fit, in which case the buffers are left as they were.
bool writeAnswer(OpenFileNameA& record, const QStringList& paths, int filterNumber);

// Whether writeAnswer() would find room for the paths in nMaxFile bytes.
bool answerFits(const QStringList& paths, std::uint32_t nMaxFile);

} // namespace filedialog

// The dialogs of the desktop, through Qt. Their questions (replace? create?
// not found) go through the given message box.
class QtFileDialogs final : public FileDialogs {
public:
    explicit QtFileDialogs(MessageBox& prompts);
    bool getOpenFileName(OpenFileNameA& record) override;
    bool getSaveFileName(OpenFileNameA& record) override;

private:
    bool show(OpenFileNameA& record, bool saving);

    MessageBox& m_prompts;
};

} // namespace platform
