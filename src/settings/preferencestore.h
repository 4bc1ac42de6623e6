#pragma once

#include "common/latestwinswriter.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <expected>
#include <memory>
#include <optional>

namespace halyard {

// The user's preferences: booleans, strings and byte data under string keys, each kept as its
// own type so that a reader asking for a boolean never gets the string "true". The whole set
// lives in one JSON file that is read once at construction and replaced atomically after every
// change, by a writer thread so that the event loop never waits for the disk (an editor may
// write at every keystroke). Values of a type this store does not write (a number added by
// hand, say) are kept as they are and read as absent.
//
// One instance per folder should exist in a process, shared by every user of the preferences;
// otherwise the last writer would drop the others' keys.
class PreferenceStore {
public:
    // $XDG_CONFIG_HOME/Halyard (by default ~/.config/Halyard).
    static QString defaultFolder();
    static constexpr QStringView kFileName = u"preferences.json";

    // Reads the file if there is one. A file that cannot be parsed is renamed to
    // "<file>.corrupt-<UTC time>" beside it, one error line names the kept copy, and the store
    // starts empty. Nothing is created until the first write.
    explicit PreferenceStore(const QString& folder = defaultFolder());
    // Waits for the last change to reach the disk.
    ~PreferenceStore();
    PreferenceStore(const PreferenceStore&) = delete;
    PreferenceStore& operator=(const PreferenceStore&) = delete;

    const QString& filePath() const { return m_filePath; }

    bool contains(const QString& key) const { return m_values.contains(key); }
    std::optional<bool> boolValue(const QString& key) const;
    std::optional<QString> stringValue(const QString& key) const;
    std::optional<QByteArray> dataValue(const QString& key) const;

    // Each change takes effect in memory at once and is written in the background; when several
    // wait, only the newest set of values is written, since each is complete. A write that
    // fails (full disk, no permission) leaves the old file untouched and logs one line for the
    // whole run of failures; the next write that succeeds saves everything.
    void setBool(const QString& key, bool value);
    void setString(const QString& key, const QString& value);
    void setData(const QString& key, const QByteArray& value);
    void remove(const QString& key);

    // Waits until every change made so far is on disk (or failed).
    void flush();

private:
    void load();
    std::expected<void, QString> keepDamagedFileAside(const QString& reason);
    void save();

    QString m_folder;
    QString m_filePath;
    QJsonObject m_values;
    // Set when a damaged file could not be moved aside: overwriting it would destroy the only
    // copy, so this run keeps its changes in memory.
    bool m_readOnly = false;
    // Started by the first change.
    std::unique_ptr<LatestWinsWriter<QJsonObject>> m_writer;
};

} // namespace halyard
