#pragma once

#include "common/decodeerror.h"
#include "slack/events/slackevent.h"

#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

// The Web API's response records, each read from a reply's body by its decode() with the reader
// of Socket Mode frames. Field names are Slack's keys. `ok` is required in every response;
// everything else may be absent or null. What the program acts on (ok, error, identifiers, the
// socket URL, paging, a channel's name) is strict: a value of the wrong JSON type fails the reply,
// named by its key path. What only feeds the display (the names of the team, users and bots,
// is_private) counts as absent when its type is wrong. A channel or message of a list that does
// not decode is left out alone and recorded in the response's `skipped`. SlackWebAPI re-exports
// each record as SlackWebAPI::<Name>.
namespace halyard::webapi {

struct AuthTestResponse {
    bool ok = false;
    std::optional<QString> team; // the workspace name
    std::optional<QString> user; // the bot user's name
    std::optional<QString> team_id;
    std::optional<QString> user_id;
    std::optional<QString> bot_id;
    std::optional<QString> url; // the workspace's web address, only for links
    std::optional<QString> error; // Slack's error code when ok is false

    static json::Decoded<AuthTestResponse> decode(QByteArrayView body);
    friend bool operator==(const AuthTestResponse&, const AuthTestResponse&) = default;
};

struct ConnectionsOpenResponse {
    bool ok = false;
    std::optional<QString> url; // the Socket Mode WebSocket URL
    std::optional<QString> error;

    static json::Decoded<ConnectionsOpenResponse> decode(QByteArrayView body);
    friend bool operator==(const ConnectionsOpenResponse&, const ConnectionsOpenResponse&)
        = default;
};

struct Channel {
    QString id;
    QString name;
    std::optional<bool> is_private;

    friend bool operator==(const Channel&, const Channel&) = default;
};

struct UsersConversationsResponse {
    bool ok = false;
    std::optional<QList<Channel>> channels;
    std::optional<QString> error;
    // Not one of Slack's keys: why each channel left out of `channels` did not decode.
    QList<json::DecodeError> skipped;

    static json::Decoded<UsersConversationsResponse> decode(QByteArrayView body);
    friend bool operator==(const UsersConversationsResponse&, const UsersConversationsResponse&)
        = default;
};

struct ConversationsInfoResponse {
    bool ok = false;
    std::optional<Channel> channel;
    std::optional<QString> error;

    static json::Decoded<ConversationsInfoResponse> decode(QByteArrayView body);
    friend bool operator==(const ConversationsInfoResponse&, const ConversationsInfoResponse&)
        = default;
};

struct SlackUser {
    struct Profile {
        std::optional<QString> display_name;
        std::optional<QString> real_name;

        friend bool operator==(const Profile&, const Profile&) = default;
    };

    QString id;
    std::optional<QString> name;
    std::optional<QString> real_name;
    std::optional<Profile> profile;

    // The best human-readable name: the profile's display name, the profile's real name, the
    // real name (each only when not empty), the name (even when empty), else the ID.
    QString displayName() const;

    friend bool operator==(const SlackUser&, const SlackUser&) = default;
};

struct UsersInfoResponse {
    bool ok = false;
    std::optional<SlackUser> user;
    std::optional<QString> error;

    static json::Decoded<UsersInfoResponse> decode(QByteArrayView body);
    friend bool operator==(const UsersInfoResponse&, const UsersInfoResponse&) = default;
};

struct BotsInfoResponse {
    struct Bot {
        std::optional<QString> id;
        std::optional<QString> name;
        std::optional<QString> app_id;

        friend bool operator==(const Bot&, const Bot&) = default;
    };

    bool ok = false;
    std::optional<Bot> bot;
    std::optional<QString> error;

    static json::Decoded<BotsInfoResponse> decode(QByteArrayView body);
    friend bool operator==(const BotsInfoResponse&, const BotsInfoResponse&) = default;
};

// Slack's pagination block; next_cursor is empty or absent on the last page.
struct ResponseMetadata {
    std::optional<QString> next_cursor;

    friend bool operator==(const ResponseMetadata&, const ResponseMetadata&) = default;
};

// A message of a history page that did not decode: its ts when that could be read as a string,
// and why.
struct SkippedMessage {
    std::optional<QString> ts;
    QString reason;

    friend bool operator==(const SkippedMessage&, const SkippedMessage&) = default;
};

struct ConversationsHistoryResponse {
    bool ok = false;
    std::optional<QList<SlackEventDTO>> messages; // newest first, as Slack lists them
    std::optional<bool> has_more;
    std::optional<QString> error;
    std::optional<ResponseMetadata> response_metadata;
    // Not one of Slack's keys: the messages left out of `messages` because they did not decode.
    // One bad message must not cost its neighbours, nor the page its place in the catch-up.
    QList<SkippedMessage> skipped;

    // Its messages are read by the event decoder, the one of Socket Mode events.
    static json::Decoded<ConversationsHistoryResponse> decode(QByteArrayView body);
    friend bool operator==(const ConversationsHistoryResponse&, const ConversationsHistoryResponse&)
        = default;
};

struct ReactionsGetResponse {
    bool ok = false;
    std::optional<SlackEventDTO> message;
    std::optional<QString> error;

    // Its message is read by the event decoder, the one of Socket Mode events.
    static json::Decoded<ReactionsGetResponse> decode(QByteArrayView body);
    friend bool operator==(const ReactionsGetResponse&, const ReactionsGetResponse&) = default;
};

struct ReactionsAddResponse {
    bool ok = false;
    std::optional<QString> error;

    static json::Decoded<ReactionsAddResponse> decode(QByteArrayView body);
    friend bool operator==(const ReactionsAddResponse&, const ReactionsAddResponse&) = default;
};

} // namespace halyard::webapi
