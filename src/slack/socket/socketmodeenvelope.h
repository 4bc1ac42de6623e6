#pragma once

#include "common/decodeerror.h"
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

    // An event to acknowledge by its envelope ID, whatever its payload decodes to: the event,
    // or why it did not decode.
    struct EventsApi {
        QString envelopeId;
        json::Decoded<SlackEventDTO> event;

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

    // Decodes the bytes of one received text or data frame. Malformed JSON, a missing or
    // non-string "type", or an events_api envelope without a readable "envelope_id" fail the
    // envelope; a payload that does not decode leaves the envelope to be acknowledged and
    // carries its error. Hello's and disconnect's members only inform, so a wrong type there
    // counts as absent. Errors name the key path.
    static json::Decoded<SocketModeEnvelope> decode(QByteArrayView frame);

    // The text of the frame that acknowledges an envelope: {"envelope_id":"<id>"} and nothing
    // else.
    static QString encodeAcknowledgement(const QString& envelopeId);

    friend bool operator==(const SocketModeEnvelope&, const SocketModeEnvelope&) = default;
};

} // namespace halyard
