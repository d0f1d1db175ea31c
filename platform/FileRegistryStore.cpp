#include "platform/FileRegistryStore.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QMap>
#include <QSaveFile>

namespace platform {

namespace {

const QString kFormat = QStringLiteral("Tovimark registry");
constexpr int kVersion = 1;
const QString kHiveName = QStringLiteral("HKEY_CURRENT_USER");
const QChar kKeySeparator = QLatin1Char('\\');

// No settings file of ours comes near this; a larger one is not ours.
constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;
// Long enough to outlast another copy's change, short enough that a stuck
// lock costs a person little.
constexpr int kLockWaitMs = 10'000;

struct StoredValue {
    QString name;
    RegValue value;
};

struct StoredKey {
    QString path;
    QMap<QString, StoredValue> values; // by folded name
};

using Hive = QMap<QString, StoredKey>; // by folded path

enum class FileState { Missing, Read, Unreadable, Malformed };

struct Loaded {
    FileState state = FileState::Missing;
    Hive hive;
};

QString folded(const QString& name)
{
    return name.toCaseFolded();
}

// The empty path is the hive itself; otherwise no name on the path may be empty.
bool isValidKeyPath(const QString& path)
{
    if (path.isEmpty())
        return true;
    const QStringList names = path.split(kKeySeparator);
    for (const QString& name : names) {
        if (name.isEmpty())
            return false;
    }
    return true;
}

// Whether `path` names `key` itself or one of the keys above it.
bool isAtOrAbove(const QString& foldedPath, const QString& foldedKey)
{
    return foldedPath.isEmpty() || foldedKey == foldedPath || foldedKey.startsWith(foldedPath + kKeySeparator);
}

const QMap<std::uint32_t, QString>& typeNames()
{
    static const QMap<std::uint32_t, QString> names{
        {REG_NONE, QStringLiteral("REG_NONE")},
        {REG_SZ, QStringLiteral("REG_SZ")},
        {REG_EXPAND_SZ, QStringLiteral("REG_EXPAND_SZ")},
        {REG_BINARY, QStringLiteral("REG_BINARY")},
        {REG_DWORD, QStringLiteral("REG_DWORD")},
        {REG_DWORD_BIG_ENDIAN, QStringLiteral("REG_DWORD_BIG_ENDIAN")},
        {REG_LINK, QStringLiteral("REG_LINK")},
        {REG_MULTI_SZ, QStringLiteral("REG_MULTI_SZ")},
        {REG_QWORD, QStringLiteral("REG_QWORD")},
    };
    return names;
}

QJsonValue typeToJson(std::uint32_t type)
{
    const auto name = typeNames().constFind(type);
    return name != typeNames().constEnd() ? QJsonValue(*name) : QJsonValue(double(type));
}

std::optional<std::uint32_t> typeFromJson(const QJsonValue& json)
{
    if (json.isString()) {
        const QString name = json.toString();
        for (auto it = typeNames().constBegin(); it != typeNames().constEnd(); ++it) {
            if (it.value() == name)
                return it.key();
        }
        return std::nullopt;
    }
    const double number = json.toDouble(-1);
    if (!json.isDouble() || number < 0 || number > 0xFFFFFFFF || number != double(std::uint32_t(number)))
        return std::nullopt;
    return std::uint32_t(number);
}

// A string a person can read: UTF-8 that ends in its only NUL.
bool isPlainText(const RegValue& value)
{
    if (value.type != REG_SZ && value.type != REG_EXPAND_SZ)
        return false;
    const QByteArray& data = value.data;
    if (data.isEmpty() || data.indexOf('\0') != data.size() - 1)
        return false;
    const QByteArray body = data.left(data.size() - 1);
    return QString::fromUtf8(body).toUtf8() == body;
}

bool isHexDigits(const QString& text)
{
    if (text.size() % 2 != 0)
        return false;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool hex = (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F');
        if (!hex)
            return false;
    }
    return true;
}

std::optional<RegValue> valueFromJson(const QJsonValue& json)
{
    if (!json.isObject())
        return std::nullopt;
    const QJsonObject object = json.toObject();
    const std::optional<std::uint32_t> type = typeFromJson(object.value(QStringLiteral("type")));
    if (!type)
        return std::nullopt;
    const QJsonValue text = object.value(QStringLiteral("text"));
    const QJsonValue hex = object.value(QStringLiteral("hex"));
    if (text.isString() && hex.isUndefined())
        return RegValue{*type, text.toString().toUtf8() + '\0'};
    if (hex.isString() && text.isUndefined() && isHexDigits(hex.toString()))
        return RegValue{*type, QByteArray::fromHex(hex.toString().toLatin1())};
    return std::nullopt;
}

QJsonObject valueToJson(const RegValue& value)
{
    QJsonObject object{{QStringLiteral("type"), typeToJson(value.type)}};
    if (isPlainText(value))
        object.insert(QStringLiteral("text"), QString::fromUtf8(value.data.left(value.data.size() - 1)));
    else
        object.insert(QStringLiteral("hex"), QString::fromLatin1(value.data.toHex()));
    return object;
}

Loaded parse(const QByteArray& bytes)
{
    Loaded malformed{FileState::Malformed, {}};
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return malformed;
    const QJsonObject root = document.object();
    if (root.value(QStringLiteral("format")).toString() != kFormat)
        return malformed;
    const QJsonValue version = root.value(QStringLiteral("version"));
    if (!version.isDouble())
        return malformed;
    // A later version of the program wrote this; leave it to that version.
    if (version.toDouble() != kVersion)
        return {FileState::Unreadable, {}};
    if (root.value(QStringLiteral("hive")).toString() != kHiveName || !root.value(QStringLiteral("keys")).isObject())
        return malformed;

    Loaded loaded{FileState::Read, {}};
    const QJsonObject keys = root.value(QStringLiteral("keys")).toObject();
    for (auto key = keys.constBegin(); key != keys.constEnd(); ++key) {
        if (key.key().isEmpty() || !isValidKeyPath(key.key()) || !key.value().isObject())
            return malformed;
        StoredKey& stored = loaded.hive[folded(key.key())];
        stored.path = key.key();
        const QJsonObject values = key.value().toObject();
        for (auto value = values.constBegin(); value != values.constEnd(); ++value) {
            std::optional<RegValue> parsed = valueFromJson(value.value());
            if (!parsed)
                return malformed;
            stored.values.insert(folded(value.key()), {value.key(), std::move(*parsed)});
        }
    }
    return loaded;
}

QByteArray serialise(const Hive& hive)
{
    QJsonObject keys;
    for (const StoredKey& key : hive) {
        QJsonObject values;
        for (const StoredValue& value : key.values)
            values.insert(value.name, valueToJson(value.value));
        keys.insert(key.path, values);
    }
    const QJsonObject root{
        {QStringLiteral("format"), kFormat},
        {QStringLiteral("version"), kVersion},
        {QStringLiteral("hive"), kHiveName},
        {QStringLiteral("keys"), keys},
    };
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

Loaded load(const QString& filePath)
{
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        // Qt's own existence test can miss a file that another copy is
        // renaming into place; stat() cannot.
        std::error_code error;
        const bool exists = std::filesystem::exists(std::filesystem::path(filePath.toStdU16String()), error);
        return {exists || error ? FileState::Unreadable : FileState::Missing, {}};
    }
    if (file.size() > kMaxFileSize)
        return {FileState::Malformed, {}};
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {FileState::Unreadable, {}};
    return parse(bytes);
}

bool hiveHasKey(const Hive& hive, const QString& keyPath)
{
    const QString wanted = folded(keyPath);
    if (isAtOrAbove(wanted, folded(QString::fromLatin1(kShellFoldersKey))))
        return true;
    for (auto key = hive.constBegin(); key != hive.constEnd(); ++key) {
        if (isAtOrAbove(wanted, key.key()))
            return true;
    }
    return false;
}

// Keeps a malformed file under a new name beside the old one.
bool setAside(const QString& filePath)
{
    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    QString aside = filePath + QStringLiteral(".corrupt-") + stamp;
    for (int n = 1; QFileInfo::exists(aside); ++n)
        aside = filePath + QStringLiteral(".corrupt-%1-%2").arg(stamp).arg(n);
    return QFile::rename(filePath, aside);
}

bool save(const QString& filePath, const Hive& hive)
{
    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = serialise(hive);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

// Runs one change on the freshly read hive under the lock; the change says
// whether there is anything to write.
template<typename Change>
bool changeFile(const QString& filePath, Change&& change)
{
    if (!QDir().mkpath(QFileInfo(filePath).absolutePath()))
        return false;
    QLockFile lock(filePath + QStringLiteral(".lock"));
    if (!lock.tryLock(kLockWaitMs))
        return false;
    Loaded loaded = load(filePath);
    if (loaded.state == FileState::Unreadable)
        return false;
    if (!change(loaded.hive))
        return false;
    if (loaded.state == FileState::Malformed && !setAside(filePath))
        return false;
    return save(filePath, loaded.hive);
}

} // namespace

FileRegistryStore::FileRegistryStore(QString filePath)
    : m_filePath(std::move(filePath))
{
}

QString FileRegistryStore::defaultFilePath()
{
    return QDir::toNativeSeparators(QDir(configurationFolder()).filePath(QStringLiteral("registry.json")));
}

bool FileRegistryStore::hasKey(RegHive hive, const QString& keyPath) const
{
    if (hive != HKEY_CURRENT_USER || !isValidKeyPath(keyPath))
        return false;
    return hiveHasKey(load(m_filePath).hive, keyPath);
}

std::optional<RegValue> FileRegistryStore::queryValue(RegHive hive, const QString& keyPath,
                                                      const QString& valueName) const
{
    if (hive != HKEY_CURRENT_USER || !isValidKeyPath(keyPath))
        return std::nullopt;
    const Hive stored = load(m_filePath).hive;
    const auto key = stored.constFind(folded(keyPath));
    if (key != stored.constEnd()) {
        const auto value = key->values.constFind(folded(valueName));
        if (value != key->values.constEnd())
            return value->value;
    }
    if (folded(keyPath) == folded(QString::fromLatin1(kShellFoldersKey))
        && folded(valueName) == folded(QString::fromLatin1(kCacheValue)))
        return RegValue{REG_SZ, desktopCacheFolder().toUtf8() + '\0'};
    return std::nullopt;
}

bool FileRegistryStore::createKey(RegHive hive, const QString& keyPath)
{
    if (hive != HKEY_CURRENT_USER || !isValidKeyPath(keyPath))
        return false;
    if (hasKey(hive, keyPath))
        return true;
    return changeFile(m_filePath, [&](Hive& stored) {
        if (hiveHasKey(stored, keyPath))
            return false;
        stored.insert(folded(keyPath), {keyPath, {}});
        return true;
    }) || hasKey(hive, keyPath);
}

bool FileRegistryStore::setValue(RegHive hive, const QString& keyPath, const QString& valueName,
                                 const RegValue& value)
{
    if (hive != HKEY_CURRENT_USER || !isValidKeyPath(keyPath) || keyPath.isEmpty())
        return false;
    return changeFile(m_filePath, [&](Hive& stored) {
        if (!hiveHasKey(stored, keyPath))
            return false;
        StoredKey& key = stored[folded(keyPath)];
        if (key.path.isEmpty())
            key.path = keyPath;
        StoredValue& slot = key.values[folded(valueName)];
        if (slot.name.isEmpty())
            slot.name = valueName;
        slot.value = value;
        return true;
    });
}

} // namespace platform
