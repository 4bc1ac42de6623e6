#pragma once

#include "common/jsonreader.h"
#include "slack/events/slackevent.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>
#include <variant>

namespace halyard {

// One decoded Socket Mode frame. Only the keys the program acts on are read; Slack's debug and
// connection details are ignored.
struct SocketModeEnvelope {
    struct Hello {
        std::optional<qint64> numConnections;

        friend bool operator==(const Hello&, const Hello&) = default;
    };

    // An event to acknowledge by its envelope ID.
    struct EventsApi {
        QString envelopeId;
        SlackEventDTO event;

        friend bool operator==(const EventsApi&, const EventsApi&) = default;
    };

    // Slack is about to close the connection (refresh, link disabled and the like).
    struct Disconnect {
        std::optional<QString> reason;

        friend bool operator==(const Disconnect&, const Disconnect&) = default;
    };

    // Any other envelope type, kept so the client can log it.
    struct Other {
        QString type;

        friend bool operator==(const Other&, const Other&) = default;
    };

    std::variant<Hello, EventsApi, Disconnect, Other> value;

    // Decodes the bytes of one received text or data frame. Malformed JSON, a missing required
    // key, a wrong JSON type or an event that does not decode fail the whole envelope; the
    // error's description names the key path.
    static json::Decoded<SocketModeEnvelope> decode(QByteArrayView frame);

    // The text of the frame that acknowledges an envelope: {"envelope_id":"<id>"} and nothing
    // else.
    static QString encodeAcknowledgement(const QString& envelopeId);

    friend bool operator==(const SocketModeEnvelope&, const SocketModeEnvelope&) = default;
};

} // namespace halyard
