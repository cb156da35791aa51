#include "settings/qt_settings_store.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>
#include <QTemporaryFile>

#include "settings/stored_value_text.h"
#include "settings/xdg_dirs.h"

namespace cs {
namespace {

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// "Software\Tervanis\TervanisTools" -> "Software/Tervanis/TervanisTools".
QString groupOf(std::string_view keyPath) {
    QString group = toQString(keyPath);
    group.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (group.endsWith(QLatin1Char('/')))
        group.chop(1);
    return group;
}

// QSettings shares a parsed file between all its objects for that path and reports a parse error
// only to the object that parsed it; a later object sees the broken file's leftovers as sound
// settings. A private copy under a fresh name is parsed to learn whether the file is sound.
bool iniFileIsSound(const QString& path) {
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    QTemporaryFile copy;
    if (!copy.open() || copy.write(bytes) != bytes.size() || !copy.flush())
        return false;
    QSettings check(copy.fileName(), QSettings::IniFormat);
    check.contains(QStringLiteral("_"));
    return check.status() == QSettings::NoError;
}

// A value none of the stored forms can read (a truncated or hand-broken file). Values of the
// wrong type for their name are found only when read.
bool holdsMalformedValue(const QSettings& settings) {
    const QStringList keys = settings.allKeys();
    for (const QString& key : keys) {
        const QVariant value = settings.value(key);
        if (value.typeId() == QMetaType::QStringList)
            continue;
        if (value.typeId() != QMetaType::QString || storedType(value.toString().toStdString()) == StoredType::malformed)
            return true;
    }
    return false;
}

} // namespace

QtSettingsStore::QtSettingsStore(std::string filePath) : filePath_(std::move(filePath)) {}

QtSettingsStore::~QtSettingsStore() {
    if (open_)
        closeKey();
}

std::unique_ptr<QtSettingsStore> QtSettingsStore::forCurrentUser() {
    return std::make_unique<QtSettingsStore>(settingsFilePath(xdgDirsFromEnvironment()));
}

bool QtSettingsStore::load() {
    if (filePath_.empty())
        return false;
    if (!settings_) {
        const bool sound = iniFileIsSound(toQString(filePath_));
        settings_ = std::make_unique<QSettings>(toQString(filePath_), QSettings::IniFormat);
        settings_->setFallbacksEnabled(false);
        // QSettings reads lazily; a lookup makes it read the file now and report its status.
        settings_->contains(QStringLiteral("_"));
        if (!sound || settings_->status() != QSettings::NoError) {
            unreadable_ = true;
            setAsideBeforeWrite_ = true;
        } else if (holdsMalformedValue(*settings_)) {
            setAsideBeforeWrite_ = true;
        }
    }
    return true;
}

bool QtSettingsStore::setDamagedFileAside() {
    const QString path = toQString(filePath_);
    if (QFileInfo::exists(path)) {
        const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        QString aside = path + QStringLiteral(".corrupt-") + stamp;
        for (int n = 2; QFileInfo::exists(aside); ++n)
            aside = path + QStringLiteral(".corrupt-") + stamp + QLatin1Char('-') + QString::number(n);
        // Drop QSettings' hold on the file before moving it.
        settings_.reset();
        if (!QFile::rename(path, aside))
            return false;
        setAsidePath_ = aside.toStdString();
    }
    settings_.reset();
    unreadable_ = false;
    setAsideBeforeWrite_ = false;
    createdGroups_.clear();
    return load() && !unreadable_;
}

bool QtSettingsStore::openKey(std::string_view path, bool create) {
    if (open_)
        closeKey();
    if (!load())
        return false;
    const QString group = groupOf(path);
    // A file that cannot be parsed reads as empty. Writing first moves a damaged file aside.
    if (unreadable_ && !create)
        return false;
    if (setAsideBeforeWrite_ && create && !setDamagedFileAside())
        return false;
    settings_->beginGroup(group);
    const bool exists = !settings_->childKeys().isEmpty() || !settings_->childGroups().isEmpty() ||
                        createdGroups_.count(group.toStdString()) != 0;
    settings_->endGroup();
    if (!exists && !create)
        return false;
    if (!exists)
        createdGroups_.insert(group.toStdString());
    group_ = group.toStdString();
    open_ = true;
    written_ = false;
    return true;
}

bool QtSettingsStore::closeKey() {
    if (!open_)
        return false;
    open_ = false;
    group_.clear();
    if (!written_)
        return true;
    written_ = false;
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

std::optional<std::string> QtSettingsStore::rawValue(std::string_view name) {
    if (!open_)
        return std::nullopt;
    const QString key = toQString(group_) + QLatin1Char('/') + toQString(name);
    if (!settings_->contains(key))
        return std::nullopt;
    const QVariant value = settings_->value(key);
    // An unquoted comma in a hand-edited file splits the text into a list; join it back.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(',')).toStdString();
    if (value.typeId() != QMetaType::QString) {
        setAsideBeforeWrite_ = true;
        return std::nullopt;
    }
    return value.toString().toStdString();
}

bool QtSettingsStore::valueExists(std::string_view name) {
    if (!open_)
        return false;
    return settings_->contains(toQString(group_) + QLatin1Char('/') + toQString(name));
}

// A value that is present but not readable as asked marks the file damaged: it is kept aside
// before anything overwrites it. Other values stay readable until then.
std::optional<std::int32_t> QtSettingsStore::readInteger(std::string_view name) {
    auto text = rawValue(name);
    if (!text)
        return std::nullopt;
    auto value = integerFromText(*text);
    if (!value)
        setAsideBeforeWrite_ = true;
    return value;
}

std::optional<std::string> QtSettingsStore::readString(std::string_view name) {
    auto text = rawValue(name);
    if (!text)
        return std::nullopt;
    auto value = stringFromText(*text);
    if (!value)
        setAsideBeforeWrite_ = true;
    return value;
}

bool QtSettingsStore::write(std::string_view name, const std::string& text) {
    if (!open_)
        return false;
    settings_->setValue(toQString(group_) + QLatin1Char('/') + toQString(name), toQString(text));
    written_ = true;
    return true;
}

bool QtSettingsStore::writeInteger(std::string_view name, std::int32_t value) {
    return write(name, integerText(value));
}

bool QtSettingsStore::writeString(std::string_view name, std::string_view value) {
    return write(name, stringText(value));
}

bool QtSettingsStore::writeBinary(std::string_view name, std::span<const std::uint8_t> bytes) {
    return write(name, binaryText(bytes));
}

bool QtSettingsStore::deleteValue(std::string_view name) {
    if (!valueExists(name))
        return false;
    settings_->remove(toQString(group_) + QLatin1Char('/') + toQString(name));
    written_ = true;
    return true;
}

} // namespace cs
