#include "slack/webapi/responses.h"

#include "slack/events/slackeventdecoder.h"

using namespace Qt::Literals::StringLiterals;

namespace halyard::webapi {

using json::Decoded;
using payload::Path;
using payload::SlackObjectReader;
using payload::Value;

namespace {

// Parses a reply's body, which must hold one JSON object, and reads it with readFields.
template <typename T, typename Fn> Decoded<T> decodeReply(QByteArrayView body, Fn&& readFields)
{
    return payload::decodeDocument<T>(body, [&readFields](Value value, const Path& path) {
        return payload::decodeObject<T>(value, path, readFields);
    });
}

Decoded<Channel> decodeChannel(Value value, const Path& path)
{
    return payload::decodeObject<Channel>(value, path, [](SlackObjectReader& r) {
        Channel out;
        out.id = r.requiredString("id");
        out.name = r.requiredString("name");
        out.is_private = r.displayBool("is_private");
        return out;
    });
}

SlackUser::Profile readProfile(SlackObjectReader& r)
{
    SlackUser::Profile out;
    out.display_name = r.displayString("display_name");
    out.real_name = r.displayString("real_name");
    return out;
}

Decoded<SlackUser> decodeUser(Value value, const Path& path)
{
    return payload::decodeObject<SlackUser>(value, path, [](SlackObjectReader& r) {
        SlackUser out;
        out.id = r.requiredString("id");
        out.name = r.displayString("name");
        out.real_name = r.displayString("real_name");
        out.profile = r.displayObject<SlackUser::Profile>("profile", readProfile);
        return out;
    });
}

Decoded<BotsInfoResponse::Bot> decodeBot(Value value, const Path& path)
{
    return payload::decodeObject<BotsInfoResponse::Bot>(value, path, [](SlackObjectReader& r) {
        BotsInfoResponse::Bot out;
        out.id = r.optionalString("id");
        out.name = r.displayString("name");
        out.app_id = r.optionalString("app_id");
        return out;
    });
}

Decoded<ResponseMetadata> decodeResponseMetadata(Value value, const Path& path)
{
    return payload::decodeObject<ResponseMetadata>(value, path, [](SlackObjectReader& r) {
        ResponseMetadata out;
        out.next_cursor = r.optionalString("next_cursor");
        return out;
    });
}

// The ts of a message that may be anything at all, for the log line that names it.
std::optional<QString> tsOf(Value message)
{
    std::string_view ts;
    if (message["ts"].get_string().get(ts))
        return std::nullopt;
    return QString::fromUtf8(ts.data(), qsizetype(ts.size()));
}

} // namespace

Decoded<AuthTestResponse> AuthTestResponse::decode(QByteArrayView body)
{
    return decodeReply<AuthTestResponse>(body, [](SlackObjectReader& r) {
        AuthTestResponse out;
        out.ok = r.requiredBool("ok");
        out.team = r.displayString("team");
        out.user = r.displayString("user");
        out.team_id = r.optionalString("team_id");
        out.user_id = r.optionalString("user_id");
        out.bot_id = r.optionalString("bot_id");
        out.url = r.displayString("url");
        out.error = r.optionalString("error");
        return out;
    });
}

Decoded<ConnectionsOpenResponse> ConnectionsOpenResponse::decode(QByteArrayView body)
{
    return decodeReply<ConnectionsOpenResponse>(body, [](SlackObjectReader& r) {
        ConnectionsOpenResponse out;
        out.ok = r.requiredBool("ok");
        out.url = r.optionalString("url");
        out.error = r.optionalString("error");
        return out;
    });
}

Decoded<UsersConversationsResponse> UsersConversationsResponse::decode(QByteArrayView body)
{
    return decodeReply<UsersConversationsResponse>(body, [](SlackObjectReader& r) {
        UsersConversationsResponse out;
        out.ok = r.requiredBool("ok");
        out.channels = r.optionalListSkipping<Channel>("channels", decodeChannel,
            [&out](Value, const json::DecodeError& error) { out.skipped.append(error); });
        out.error = r.optionalString("error");
        return out;
    });
}

Decoded<ConversationsInfoResponse> ConversationsInfoResponse::decode(QByteArrayView body)
{
    return decodeReply<ConversationsInfoResponse>(body, [](SlackObjectReader& r) {
        ConversationsInfoResponse out;
        out.ok = r.requiredBool("ok");
        out.channel = r.optionalWith<Channel>("channel", decodeChannel);
        out.error = r.optionalString("error");
        return out;
    });
}

QString SlackUser::displayName() const
{
    if (profile) {
        if (profile->display_name && !profile->display_name->isEmpty())
            return *profile->display_name;
        if (profile->real_name && !profile->real_name->isEmpty())
            return *profile->real_name;
    }
    if (real_name && !real_name->isEmpty())
        return *real_name;
    if (name)
        return *name;
    return id;
}

Decoded<UsersInfoResponse> UsersInfoResponse::decode(QByteArrayView body)
{
    return decodeReply<UsersInfoResponse>(body, [](SlackObjectReader& r) {
        UsersInfoResponse out;
        out.ok = r.requiredBool("ok");
        out.user = r.optionalWith<SlackUser>("user", decodeUser);
        out.error = r.optionalString("error");
        return out;
    });
}

Decoded<BotsInfoResponse> BotsInfoResponse::decode(QByteArrayView body)
{
    return decodeReply<BotsInfoResponse>(body, [](SlackObjectReader& r) {
        BotsInfoResponse out;
        out.ok = r.requiredBool("ok");
        out.bot = r.optionalWith<Bot>("bot", decodeBot);
        out.error = r.optionalString("error");
        return out;
    });
}

Decoded<ConversationsHistoryResponse> ConversationsHistoryResponse::decode(QByteArrayView body)
{
    return decodeReply<ConversationsHistoryResponse>(body, [](SlackObjectReader& r) {
        ConversationsHistoryResponse out;
        out.ok = r.requiredBool("ok");
        out.messages = r.optionalListSkipping<SlackEventDTO>("messages", payload::decodeSlackEvent,
            [&out](Value message, const json::DecodeError& error) {
                out.skipped.append(SkippedMessage { tsOf(message), error.description() });
            });
        out.has_more = r.optionalBool("has_more");
        out.error = r.optionalString("error");
        out.response_metadata
            = r.optionalWith<ResponseMetadata>("response_metadata", decodeResponseMetadata);
        return out;
    });
}

Decoded<ReactionsGetResponse> ReactionsGetResponse::decode(QByteArrayView body)
{
    return decodeReply<ReactionsGetResponse>(body, [](SlackObjectReader& r) {
        ReactionsGetResponse out;
        out.ok = r.requiredBool("ok");
        out.message = r.optionalWith<SlackEventDTO>("message", payload::decodeSlackEvent);
        out.error = r.optionalString("error");
        return out;
    });
}

Decoded<ReactionsAddResponse> ReactionsAddResponse::decode(QByteArrayView body)
{
    return decodeReply<ReactionsAddResponse>(body, [](SlackObjectReader& r) {
        ReactionsAddResponse out;
        out.ok = r.requiredBool("ok");
        out.error = r.optionalString("error");
        return out;
    });
}

} // namespace halyard::webapi
