#pragma once

#include "queue/alert.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace halyard {

// One row of the queue as the panel, the list and the bus show it: repeats of one alert
// folded together. `alert` carries the newest member's text, ts and link (what a person wants to
// read and open) under the oldest member's id and time, so a row keeps its identity while
// repeats arrive and its age never looks younger than the problem is.
struct FoldedRow {
    Alert alert;
    // Oldest first; the first is the row's id.
    QStringList memberIds;

    qsizetype count() const { return memberIds.size(); }
    friend bool operator==(const FoldedRow&, const FoldedRow&) = default;
};

// The folding rule. Two alerts are repeats when they come from the same channel and sender and
// their texts match once standalone numbers are set aside ("97%" and "98%" fold; "db-1" and
// "db-2" are names and never do). An alert joins a row when it arrives at most kWindowSeconds
// after the row's newest member, so a flapping check folds for as long as it flaps, and the
// same text after a quiet hour starts a row of its own.
class AlertFolding {
public:
    static constexpr double kWindowSeconds = 60 * 60;

    // The text with each standalone number replaced by "#": a run of digits, with "." "," or
    // ":" between digits (a decimal, thousands, a time), that does not touch a letter, a digit
    // or a joining character ("-", "_", ".", "/", ":") that leads on into a word. A run with two
    // or more dots is an address or a version, part of a name.
    static QString textKey(QStringView text);
    static bool areRepeats(const Alert& older, const Alert& newer);

    // Rows over alerts in time order (the store's order), in the order of their oldest members.
    // Disabled: one row per alert. Keys are kept per alert id between calls, so folding the queue
    // again after a change costs a look-up per alert.
    QList<FoldedRow> fold(const QList<Alert>& alerts, bool enabled = true);

    // The alerts of the row with this id, oldest first; a member's id that is not the row's
    // gives that alert alone; empty when no queued alert has this id.
    QList<Alert> membersOf(const QList<Alert>& alerts, const QString& id, bool enabled = true);

private:
    const QString& keyOf(const Alert& alert);

    QHash<QString, QString> m_keys;
};

} // namespace halyard
