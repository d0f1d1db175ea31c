#include "swf/script/SharedObjectStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QUrl>

#include <vector>

#include "swf/script/SolFormat.h"

namespace swf::script {

using namespace std::string_view_literals;

namespace {

QString pathOf(const std::string& folder, const std::string& key)
{
    return QDir(QString::fromStdString(folder)).filePath(QString::fromStdString(key));
}

// Parts of a path split on '/', with the empty ones dropped; nothing when
// one would climb ("..") or stand still (".").
std::optional<std::vector<std::string>> partsOf(std::string_view path)
{
    std::vector<std::string> parts;
    std::size_t at = 0;
    while (at <= path.size()) {
        const std::size_t end = std::min(path.find('/', at), path.size());
        const std::string_view part = path.substr(at, end - at);
        if (part == "." || part == "..")
            return std::nullopt;
        if (!part.empty())
            parts.emplace_back(part);
        at = end + 1;
    }
    return parts;
}

// Characters no file name may hold on some desktop become '_', so a
// movie's own folder names give a path on every system.
std::string safePart(std::string part)
{
    for (char& c : part)
        if (std::string_view("<>:\"|?*\\").find(c) != std::string_view::npos || std::uint8_t(c) < 0x20)
            c = '_';
    return part;
}

} // namespace

SharedObjectStore::SharedObjectStore(std::string folder)
    : m_folder(std::move(folder))
{
}

std::optional<std::string> SharedObjectStore::read(const std::string& key) const
{
    if (m_folder.empty()) {
        const auto it = m_memory.find(key);
        return it == m_memory.end() ? std::nullopt : std::optional(it->second);
    }
    QFile file(pathOf(m_folder, key));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.read(qint64(kMaxSolBytes) + 1);
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes.toStdString();
}

std::size_t SharedObjectStore::folderBytesBeside(const std::string& key) const
{
    std::size_t total = 0;
    if (m_folder.empty()) {
        const std::string folder = key.substr(0, key.rfind('/') + 1);
        for (const auto& [other, bytes] : m_memory)
            if (other != key && other.starts_with(folder) && other.find('/', folder.size()) == std::string::npos)
                total += bytes.size();
        return total;
    }
    const QFileInfo own(pathOf(m_folder, key));
    for (const QFileInfo& file : own.dir().entryInfoList({QStringLiteral("*.sol")}, QDir::Files))
        if (file.fileName() != own.fileName())
            total += std::size_t(file.size());
    return total;
}

SharedObjectStore::WriteResult SharedObjectStore::write(const std::string& key, std::string_view bytes)
{
    if (folderBytesBeside(key) + bytes.size() > kMaxFolderBytes)
        return WriteResult::OverCap;
    if (m_folder.empty()) {
        m_memory[key] = std::string(bytes);
        return WriteResult::Written;
    }
    const QString path = pathOf(m_folder, key);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return WriteResult::Failed;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return WriteResult::Failed;
    if (file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size())) {
        file.cancelWriting();
        return WriteResult::Failed;
    }
    return file.commit() ? WriteResult::Written : WriteResult::Failed;
}

void SharedObjectStore::remove(const std::string& key)
{
    if (m_folder.empty())
        m_memory.erase(key);
    else
        QFile::remove(pathOf(m_folder, key));
}

void SharedObjectStore::setAside(const std::string& key)
{
    if (m_folder.empty()) {
        m_memory.erase(key);
        return;
    }
    const QString path = pathOf(m_folder, key);
    QString aside = path + QStringLiteral(".corrupt");
    for (int n = 2; QFileInfo::exists(aside) && n < 1000; ++n)
        aside = path + QStringLiteral(".corrupt-%1").arg(n);
    if (!QFile::rename(path, aside))
        QFile::remove(path);
}

std::optional<std::string> sharedObjectKey(std::string_view movieUrl, std::string_view name, std::optional<std::string_view> localPath)
{
    constexpr std::size_t kMaxName = 256;
    if (name.empty() || name.size() > kMaxName || name.find_first_of("~%&\\;:\"',<>?# \0"sv) != std::string_view::npos)
        return std::nullopt;
    const QUrl url(QString::fromStdString(std::string(movieUrl)));
    if (!url.isValid() || url.isRelative())
        return std::nullopt;
    const QString host = url.isLocalFile() ? QStringLiteral("localhost") : url.host().toLower();
    if (host.isEmpty())
        return std::nullopt;
    const auto moviePath = partsOf(url.path().toStdString());
    const auto nameParts = partsOf(name);
    if (!moviePath || !nameParts || nameParts->empty())
        return std::nullopt;
    std::vector<std::string> folder = *moviePath;
    if (localPath) {
        const auto wanted = partsOf(*localPath);
        if (!wanted || wanted->size() > moviePath->size() || !std::equal(wanted->begin(), wanted->end(), moviePath->begin()))
            return std::nullopt;
        folder = *wanted;
    }
    std::string key = safePart(host.toStdString());
    for (const std::string& part : folder)
        key += '/' + safePart(part);
    for (const std::string& part : *nameParts)
        key += '/' + safePart(part);
    return key + ".sol";
}

} // namespace swf::script
