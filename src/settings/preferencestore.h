#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <expected>
#include <optional>

namespace halyard {

// The user's preferences: booleans, strings and byte data under string keys, each kept as its
// own type so that a reader asking for a boolean never gets the string "true". The whole set
// lives in one JSON file that is read once at construction and replaced atomically after every
// change. Values of a type this store does not write (a number added by hand, say) are kept
// as they are and read as absent.
//
// One instance per folder should exist in a process; the settings, the panel position and the
// update reminder share it, otherwise the last writer would drop the others' keys.
class PreferenceStore {
public:
    // $XDG_CONFIG_HOME/Halyard (by default ~/.config/Halyard).
    static QString defaultFolder();
    static constexpr QStringView kFileName = u"preferences.json";

    // Reads the file if there is one. A file that cannot be parsed is renamed to
    // "<file>.corrupt-<UTC time>" beside it, one error line names the kept copy, and the store
    // starts empty. Nothing is created until the first write.
    explicit PreferenceStore(const QString& folder = defaultFolder());

    const QString& filePath() const { return m_filePath; }

    bool contains(const QString& key) const { return m_values.contains(key); }
    std::optional<bool> boolValue(const QString& key) const;
    std::optional<QString> stringValue(const QString& key) const;
    std::optional<QByteArray> dataValue(const QString& key) const;

    // Each write keeps the new value in memory and rewrites the file. When the file cannot be
    // written (full disk, no permission) the old file stays untouched, the failure is logged
    // and returned, and the value is still saved by the next write that succeeds.
    std::expected<void, QString> setBool(const QString& key, bool value);
    std::expected<void, QString> setString(const QString& key, const QString& value);
    std::expected<void, QString> setData(const QString& key, const QByteArray& value);
    std::expected<void, QString> remove(const QString& key);

private:
    void load();
    std::expected<void, QString> keepDamagedFileAside(const QString& reason);
    std::expected<void, QString> save();
    std::expected<void, QString> writeFile();

    QString m_folder;
    QString m_filePath;
    QJsonObject m_values;
    // Set when a damaged file could not be moved aside: overwriting it would destroy the only
    // copy, so this run keeps its changes in memory.
    bool m_readOnly = false;
};

} // namespace halyard
