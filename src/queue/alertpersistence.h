#pragma once

#include "queue/alert.h"

#include <QList>
#include <QMap>
#include <QString>

#include <expected>

namespace halyard {

// The queue file: the alerts and the per-channel high-water marks in one compact JSON object,
// replaced as a whole after every change. The file holds message text, so its folder is private
// to the user and every write is flushed to disk before it replaces the old file.
class AlertPersistence {
public:
    struct State {
        QList<Alert> alerts;
        QMap<QString, QString> highWaterByChannel;

        friend bool operator==(const State&, const State&) = default;
    };

    // $XDG_DATA_HOME/Halyard (by default ~/.local/share/Halyard).
    static QString defaultFolder();

    // Creates the folder (mode 0700) if needed; the file itself is not touched. Fails with a
    // description when the folder cannot be created.
    static std::expected<AlertPersistence, QString> create(const QString& folder = defaultFolder());

    const QString& filePath() const { return m_filePath; }

    // No file gives the empty state. A file that cannot be read or decoded fails as a whole, and
    // is then kept aside by the next save instead of being overwritten.
    std::expected<State, QString> load();

    std::expected<void, QString> save(const State& state);

    static QByteArray encode(const State& state);
    static json::Decoded<State> decode(const QByteArray& bytes);

private:
    explicit AlertPersistence(QString filePath);
    std::expected<void, QString> keepDamagedFileAside();

    QString m_filePath;
    std::optional<QString> m_loadFailure;
};

} // namespace halyard
