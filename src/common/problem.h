#pragma once

#include <QMetaType>
#include <QString>

namespace halyard {

// Why something failed, as lower layers know it: a kind and the figure its sentence needs (an
// HTTP status, seconds, a backend status) or Slack's error code. Lower layers never word it for
// a person; the places that show it do, in the user's language (problemText() in the settings
// room). `detail` is the English text for the log, never shown in a window.
struct Problem {
    enum class Kind {
        slackRefused, // Slack answered "ok": false; `code` is its error code
        httpStatus, // `number` is the status
        rateLimited, // HTTP 429; `number` is the seconds Slack asked for, 0 when unsaid
        unexpectedReply, // a reply that could not be read
        tokensMissing,
        unsafeToken, // a control character in a token
        offline, // the machine has no network
        hostNotFound,
        cannotConnect,
        timedOut,
        connectionLost,
        network, // another transport failure
        heartbeatMissed, // `number` is the seconds waited
        keychainDenied, // locked, or the user refused the unlock
        keychainMissing, // no Secret Service in this session
        keychainFailed, // `number` is the backend's status
        keychainUnexpected,
        keychainUnfinished,
        feedMissing, // no update feed is configured
        feedInsecure, // the update feed is not https
        feedUnreachable,
        feedUnreadable,
        cancelled,
    };

    Kind kind = Kind::network;
    qint64 number = 0;
    QString code;
    QString detail;

    static Problem of(Kind kind, QString detail = {}, qint64 number = 0, QString code = {})
    {
        return Problem { kind, number, std::move(code), std::move(detail) };
    }

    // Equal when a person would read the same sentence: the log detail does not count.
    friend bool operator==(const Problem& a, const Problem& b)
    {
        return a.kind == b.kind && a.number == b.number && a.code == b.code;
    }
};

} // namespace halyard

Q_DECLARE_METATYPE(halyard::Problem)
