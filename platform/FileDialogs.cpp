#include "platform/FileDialogs.h"

#include <utility>

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>

#include "platform/MessageBox.h"

namespace platform {

namespace filedialog {

QString textOf(const QByteArray& buffer)
{
    const qsizetype end = buffer.indexOf('\0');
    return QString::fromUtf8(end < 0 ? buffer : buffer.left(end));
}

QList<FilterPair> filterPairs(const QByteArray& buffer)
{
    QList<FilterPair> pairs;
    const QList<QByteArray> parts = buffer.split('\0');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        // The system dialog reads up to the first empty string, so an entry
        // with an empty description ends the list.
        if (parts[i].isEmpty())
            break;
        pairs.append({QString::fromUtf8(parts[i]), QString::fromUtf8(parts[i + 1])});
    }
    return pairs;
}

QString withDefaultExtension(const QString& path, const QString& extension)
{
    if (extension.isEmpty() || path.isEmpty())
        return path;
    const QString name = QFileInfo(path).fileName();
    if (name.isEmpty() || name.contains(QLatin1Char('.')))
        return path;
    return path + QLatin1Char('.') + extension;
}

Verdict judge(const QString& path, std::uint32_t flags, bool saving)
{
    const QFileInfo file(path);
    if ((flags & (OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST)) && !QFileInfo(file.absolutePath()).isDir())
        return Verdict::PathMissing;
    const bool exists = file.exists();
    if (!exists && (flags & OFN_CREATEPROMPT))
        return Verdict::AskCreate;
    if (!exists && !saving && (flags & OFN_FILEMUSTEXIST))
        return Verdict::FileMissing;
    if (exists && saving && (flags & OFN_OVERWRITEPROMPT))
        return Verdict::AskOverwrite;
    return Verdict::Accept;
}

QString promptFor(Verdict verdict, const QString& path)
{
    const QString shown = QDir::toNativeSeparators(path);
    switch (verdict) {
    case Verdict::PathMissing:
        return QStringLiteral("%1\nThe path does not exist.\nCheck the path and try again.").arg(shown);
    case Verdict::FileMissing:
        return QStringLiteral("%1\nFile not found.\nCheck the file name and try again.").arg(shown);
    case Verdict::AskCreate:
        return QStringLiteral("%1\nThis file does not exist.\nDo you want to create it?").arg(shown);
    case Verdict::AskOverwrite:
        return QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(shown);
    case Verdict::TooLong:
        return QStringLiteral("%1\nThe file name is too long.\nChoose a shorter name or folder.").arg(shown);
    case Verdict::Accept:
        break;
    }
    return QString();
}

namespace {

// Cuts UTF-8 to at most `limit` bytes without splitting a character.
QByteArray cutUtf8(const QByteArray& text, qsizetype limit)
{
    if (text.size() <= limit)
        return text;
    qsizetype end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.left(end);
}

void writeInto(QByteArray& buffer, const QByteArray& bytes)
{
    if (buffer.size() < bytes.size())
        buffer.resize(bytes.size());
    buffer.replace(0, bytes.size(), bytes);
}

} // namespace

namespace {

// The file buffer's contents for a choice: the path, or the folder and
// each name; nameOffset receives where the (first) name starts.
QByteArray answerBytes(const QStringList& paths, qsizetype& nameOffset)
{
    const QFileInfo first(paths.front());
    QByteArray answer;
    if (paths.size() == 1) {
        answer = QDir::toNativeSeparators(paths.front()).toUtf8();
        nameOffset = answer.size() - first.fileName().toUtf8().size();
        answer.append('\0');
    } else {
        answer = QDir::toNativeSeparators(first.path()).toUtf8();
        answer.append('\0');
        nameOffset = answer.size();
        for (const QString& path : paths) {
            answer.append(QFileInfo(path).fileName().toUtf8());
            answer.append('\0');
        }
        answer.append('\0');
    }
    return answer;
}

} // namespace

bool answerFits(const QStringList& paths, std::uint32_t nMaxFile)
{
    qsizetype nameOffset = 0;
    return !paths.isEmpty() && answerBytes(paths, nameOffset).size() <= qsizetype(nMaxFile);
}

bool writeAnswer(OpenFileNameA& record, const QStringList& paths, int filterNumber)
{
    if (!answerFits(paths, record.nMaxFile))
        return false;
    const QFileInfo first(paths.front());
    qsizetype nameOffset = 0;
    const QByteArray answer = answerBytes(paths, nameOffset);
    writeInto(record.lpstrFile, answer);

    if (record.nMaxFileTitle > 0) {
        QByteArray title = cutUtf8(first.fileName().toUtf8(), qsizetype(record.nMaxFileTitle) - 1);
        title.append('\0');
        writeInto(record.lpstrFileTitle, title);
    }
    const qsizetype dot = paths.size() == 1 ? first.fileName().lastIndexOf(QLatin1Char('.')) : -1;
    record.nFileOffset = static_cast<std::uint16_t>(nameOffset);
    record.nFileExtension =
        dot < 0 ? 0 : static_cast<std::uint16_t>(nameOffset + first.fileName().left(dot + 1).toUtf8().size());
    record.nFilterIndex = filterNumber;
    return true;
}

} // namespace filedialog

namespace {

using filedialog::Verdict;

// Qt's own (non-native) dialog, so that every flag of the record is honoured
// the same way on every desktop: the checks run before the dialog closes and
// a refused name leaves it open, as the system dialog does.
class RecordDialog final : public QFileDialog {
public:
    RecordDialog(QWidget* owner, MessageBox& prompts, std::uint32_t flags, std::uint32_t maxFile, bool saving,
                 QString defaultExtension)
        : QFileDialog(owner)
        , m_prompts(prompts)
        , m_flags(flags)
        , m_maxFile(maxFile)
        , m_saving(saving)
        , m_defaultExtension(std::move(defaultExtension))
    {
        setOption(QFileDialog::DontUseNativeDialog);
        setOption(QFileDialog::DontConfirmOverwrite);
        setOption(QFileDialog::HideNameFilterDetails);
        setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        const bool several = !saving && (flags & OFN_ALLOWMULTISELECT);
        setFileMode(several ? QFileDialog::ExistingFiles : QFileDialog::AnyFile);
        if (!saving && !(flags & OFN_HIDEREADONLY))
            addReadOnlyBox(flags & OFN_READONLY);
    }

    QStringList chosen() const { return m_chosen; }
    bool readOnlyChecked() const { return m_readOnly && m_readOnly->isChecked(); }

    void accept() override
    {
        const QStringList typed = selectedFiles();
        if (typed.size() == 1 && QFileInfo(typed.front()).isDir()) {
            QFileDialog::accept(); // moves into the folder
            return;
        }
        QStringList chosen;
        for (const QString& name : typed) {
            const QString path = filedialog::withDefaultExtension(name, m_defaultExtension);
            if (!agreed(path))
                return;
            chosen << path;
        }
        if (chosen.isEmpty())
            return;
        // Said here, with the dialog still open, rather than ending it as
        // if the person had cancelled.
        if (!filedialog::answerFits(chosen, m_maxFile)) {
            m_prompts.show(this, filedialog::promptFor(Verdict::TooLong, chosen.front()), windowTitle(), MsgButtons::Ok,
                           MsgIcon::Exclamation);
            return;
        }
        m_chosen = chosen;
        QDialog::accept();
    }

private:
    void addReadOnlyBox(bool checked)
    {
        m_readOnly = new QCheckBox(QStringLiteral("Open as &read-only"), this);
        m_readOnly->setChecked(checked);
        if (auto* grid = qobject_cast<QGridLayout*>(layout()))
            grid->addWidget(m_readOnly, grid->rowCount(), 0, 1, grid->columnCount());
    }

    bool agreed(const QString& path)
    {
        const Verdict verdict = filedialog::judge(path, m_flags, m_saving);
        switch (verdict) {
        case Verdict::Accept:
            return true;
        case Verdict::PathMissing:
        case Verdict::FileMissing:
        case Verdict::TooLong:
            m_prompts.show(this, filedialog::promptFor(verdict, path), windowTitle(), MsgButtons::Ok,
                           MsgIcon::Exclamation);
            return false;
        case Verdict::AskCreate:
        case Verdict::AskOverwrite:
            return m_prompts.show(this, filedialog::promptFor(verdict, path), windowTitle(), MsgButtons::YesNo,
                                  MsgIcon::Exclamation) == MsgResult::Yes;
        }
        return false;
    }

    MessageBox& m_prompts;
    std::uint32_t m_flags;
    std::uint32_t m_maxFile;
    bool m_saving;
    QString m_defaultExtension;
    QCheckBox* m_readOnly = nullptr;
    QStringList m_chosen;
};

QString qtPatterns(const QString& pattern)
{
    QStringList patterns = pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& each : patterns) {
        each = each.trimmed();
#ifndef Q_OS_WIN
        // "*.*" means every file to the system dialog, dotted or not.
        if (each == QLatin1String("*.*"))
            each = QStringLiteral("*");
#endif
    }
    return patterns.join(QLatin1Char(' '));
}

} // namespace

QtFileDialogs::QtFileDialogs(MessageBox& prompts)
    : m_prompts(prompts)
{
}

bool QtFileDialogs::getOpenFileName(OpenFileNameA& record)
{
    return show(record, false);
}

bool QtFileDialogs::getSaveFileName(OpenFileNameA& record)
{
    return show(record, true);
}

bool QtFileDialogs::show(OpenFileNameA& record, bool saving)
{
    using filedialog::textOf;
    RecordDialog dialog(record.hwndOwner, m_prompts, record.Flags, record.nMaxFile, saving, textOf(record.lpstrDefExt));
    const QString title = textOf(record.lpstrTitle);
    dialog.setWindowTitle(!title.isEmpty() ? title : saving ? QStringLiteral("Save As") : QStringLiteral("Open"));

    const QList<filedialog::FilterPair> pairs = filedialog::filterPairs(record.lpstrFilter);
    QStringList nameFilters;
    for (const filedialog::FilterPair& pair : pairs)
        nameFilters << QStringLiteral("%1 (%2)").arg(pair.description, qtPatterns(pair.pattern));
    if (!nameFilters.isEmpty()) {
        dialog.setNameFilters(nameFilters);
        const int number = record.nFilterIndex;
        dialog.selectNameFilter(nameFilters.value(number >= 1 && number <= nameFilters.size() ? number - 1 : 0));
    }

    const QString folder = textOf(record.lpstrInitialDir);
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        dialog.setDirectory(folder);
    const QString file = textOf(record.lpstrFile);
    if (!file.isEmpty())
        dialog.selectFile(file);

    if (dialog.exec() != QDialog::Accepted)
        return false;
    const int filterNumber = int(nameFilters.indexOf(dialog.selectedNameFilter())) + 1;
    if (!filedialog::writeAnswer(record, dialog.chosen(), filterNumber > 0 ? filterNumber : record.nFilterIndex))
        return false;
    if (!saving && !(record.Flags & OFN_HIDEREADONLY)) {
        if (dialog.readOnlyChecked())
            record.Flags |= OFN_READONLY;
        else
            record.Flags &= ~OFN_READONLY;
    }
    return true;
}

} // namespace platform
