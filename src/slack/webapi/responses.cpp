#include "slack/webapi/responses.h"

#include "slack/events/slackeventdecoder.h"

using namespace Qt::Literals::StringLiterals;

namespace halyard::webapi {

using json::Decoded;
using json::decodeObject;
using json::ObjectReader;

Decoded<AuthTestResponse> AuthTestResponse::decode(const QJsonValue& value, const QString& path)
{
    return decodeObject<AuthTestResponse>(value, path, [](ObjectReader& r) {
        AuthTestResponse out;
        out.ok = r.requiredBool(u"ok");
        out.team = r.optionalString(u"team");
        out.user = r.optionalString(u"user");
        out.team_id = r.optionalString(u"team_id");
        out.user_id = r.optionalString(u"user_id");
        out.bot_id = r.optionalString(u"bot_id");
        out.error = r.optionalString(u"error");
        return out;
    });
}

Decoded<ConnectionsOpenResponse> ConnectionsOpenResponse::decode(
    const QJsonValue& value, const QString& path)
{
    return decodeObject<ConnectionsOpenResponse>(value, path, [](ObjectReader& r) {
        ConnectionsOpenResponse out;
        out.ok = r.requiredBool(u"ok");
        out.url = r.optionalString(u"url");
        out.error = r.optionalString(u"error");
        return out;
    });
}

Decoded<Channel> Channel::decode(const QJsonValue& value, const QString& path)
{
    return decodeObject<Channel>(value, path, [](ObjectReader& r) {
        Channel out;
        out.id = r.requiredString(u"id");
        out.name = r.requiredString(u"name");
        out.is_private = r.optionalBool(u"is_private");
        return out;
    });
}

Decoded<UsersConversationsResponse> UsersConversationsResponse::decode(
    const QJsonValue& value, const QString& path)
{
    return decodeObject<UsersConversationsResponse>(value, path, [](ObjectReader& r) {
        UsersConversationsResponse out;
        out.ok = r.requiredBool(u"ok");
        out.channels = r.optionalListWith<Channel>(u"channels", &Channel::decode);
        out.error = r.optionalString(u"error");
        return out;
    });
}

Decoded<ConversationsInfoResponse> ConversationsInfoResponse::decode(
    const QJsonValue& value, const QString& path)
{
    return decodeObject<ConversationsInfoResponse>(value, path, [](ObjectReader& r) {
        ConversationsInfoResponse out;
        out.ok = r.requiredBool(u"ok");
        out.channel = r.optionalWith<Channel>(u"channel", &Channel::decode);
        out.error = r.optionalString(u"error");
        return out;
    });
}

Decoded<SlackUser::Profile> SlackUser::Profile::decode(const QJsonValue& value, const QString& path)
{
    return decodeObject<Profile>(value, path, [](ObjectReader& r) {
        Profile out;
        out.display_name = r.optionalString(u"display_name");
        out.real_name = r.optionalString(u"real_name");
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

Decoded<SlackUser> SlackUser::decode(const QJsonValue& value, const QString& path)
{
    return decodeObject<SlackUser>(value, path, [](ObjectReader& r) {
        SlackUser out;
        out.id = r.requiredString(u"id");
        out.name = r.optionalString(u"name");
        out.real_name = r.optionalString(u"real_name");
        out.profile = r.optionalWith<Profile>(u"profile", &Profile::decode);
        return out;
    });
}

Decoded<UsersInfoResponse> UsersInfoResponse::decode(const QJsonValue& value, const QString& path)
{
    return decodeObject<UsersInfoResponse>(value, path, [](ObjectReader& r) {
        UsersInfoResponse out;
        out.ok = r.requiredBool(u"ok");
        out.user = r.optionalWith<SlackUser>(u"user", &SlackUser::decode);
        out.error = r.optionalString(u"error");
        return out;
    });
}

Decoded<BotsInfoResponse::Bot> BotsInfoResponse::Bot::decode(
    const QJsonValue& value, const QString& path)
{
    return decodeObject<Bot>(value, path, [](ObjectReader& r) {
        Bot out;
        out.id = r.optionalString(u"id");
        out.name = r.optionalString(u"name");
        out.app_id = r.optionalString(u"app_id");
        return out;
    });
}

Decoded<BotsInfoResponse> BotsInfoResponse::decode(const QJsonValue& value, const QString& path)
{
    return decodeObject<BotsInfoResponse>(value, path, [](ObjectReader& r) {
        BotsInfoResponse out;
        out.ok = r.requiredBool(u"ok");
        out.bot = r.optionalWith<Bot>(u"bot", &Bot::decode);
        out.error = r.optionalString(u"error");
        return out;
    });
}

namespace {

Decoded<ResponseMetadata> decodeResponseMetadata(payload::Value value, const payload::Path& path)
{
    return payload::decodeObject<ResponseMetadata>(value, path, [](payload::ObjectReader& r) {
        ResponseMetadata out;
        out.next_cursor = r.optionalString("next_cursor");
        return out;
    });
}

// The ts of a message that may be anything at all, for the log line that names it.
std::optional<QString> tsOf(payload::Value message)
{
    std::string_view ts;
    if (message["ts"].get_string().get(ts))
        return std::nullopt;
    return QString::fromUtf8(ts.data(), qsizetype(ts.size()));
}

} // namespace

Decoded<ConversationsHistoryResponse> ConversationsHistoryResponse::decode(QByteArrayView body)
{
    return payload::decodeDocument<ConversationsHistoryResponse>(
        body, [](payload::Value value, const payload::Path& path) {
            return payload::decodeObject<
                ConversationsHistoryResponse>(value, path, [](payload::ObjectReader& r) {
                ConversationsHistoryResponse out;
                out.ok = r.requiredBool("ok");
                out.messages = r.optionalListSkipping<SlackEventDTO>("messages",
                    payload::decodeSlackEvent,
                    [&out](payload::Value message, const json::DecodeError& error) {
                        out.skipped.append(SkippedMessage { tsOf(message), error.description() });
                    });
                out.has_more = r.optionalBool("has_more");
                out.error = r.optionalString("error");
                out.response_metadata
                    = r.optionalWith<ResponseMetadata>("response_metadata", decodeResponseMetadata);
                return out;
            });
        });
}

Decoded<ReactionsGetResponse> ReactionsGetResponse::decode(QByteArrayView body)
{
    return payload::decodeDocument<ReactionsGetResponse>(
        body, [](payload::Value value, const payload::Path& path) {
            return payload::decodeObject<ReactionsGetResponse>(
                value, path, [](payload::ObjectReader& r) {
                    ReactionsGetResponse out;
                    out.ok = r.requiredBool("ok");
                    out.message
                        = r.optionalWith<SlackEventDTO>("message", payload::decodeSlackEvent);
                    out.error = r.optionalString("error");
                    return out;
                });
        });
}

Decoded<ReactionsAddResponse> ReactionsAddResponse::decode(
    const QJsonValue& value, const QString& path)
{
    return decodeObject<ReactionsAddResponse>(value, path, [](ObjectReader& r) {
        ReactionsAddResponse out;
        out.ok = r.requiredBool(u"ok");
        out.error = r.optionalString(u"error");
        return out;
    });
}

} // namespace halyard::webapi
