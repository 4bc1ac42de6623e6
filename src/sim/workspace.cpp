#include "sim/workspace.h"

#include <QJsonArray>
#include <QRegularExpression>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace halyard::sim {

namespace {

using Params = Workspace::Params;

std::optional<QString> paramOf(const Params& params, const QString& name)
{
    for (const auto& [key, value] : params) {
        if (key == name)
            return value;
    }
    return std::nullopt;
}

// A ts as (seconds, nanoseconds) for ordering; absent when it is not "digits[.digits]".
std::optional<std::pair<qint64, qint64>> tsKey(const QString& ts)
{
    static const QRegularExpression shape(u"^(\\d{1,15})(?:\\.(\\d{1,9}))?$"_s);
    const auto match = shape.match(ts);
    if (!match.hasMatch())
        return std::nullopt;
    const QString fraction = match.captured(2).leftJustified(9, u'0');
    return std::pair { match.captured(1).toLongLong(), fraction.toLongLong() };
}

// Orders message timestamps numerically ("9.5" before "10.0").
bool tsLess(const QString& a, const QString& b)
{
    const auto ka = tsKey(a);
    const auto kb = tsKey(b);
    if (ka && kb)
        return *ka < *kb;
    if (ka != kb)
        return !ka; // malformed ones first
    return a < b;
}

QString encodeCursor(const QString& text)
{
    return QString::fromLatin1(text.toUtf8().toBase64());
}

std::optional<QString> decodeCursor(const QString& cursor, const QString& prefix)
{
    const auto decoded = QByteArray::fromBase64Encoding(
        cursor.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return std::nullopt;
    const QString text = QString::fromUtf8(*decoded);
    if (!text.startsWith(prefix))
        return std::nullopt;
    return text.mid(prefix.size());
}

// Slack's "limit": absent gives the default; out of range is clamped; not a number fails.
std::optional<int> limitOf(const Params& params, int fallback, int maximum)
{
    const auto text = paramOf(params, u"limit"_s);
    if (!text || text->isEmpty())
        return fallback;
    bool ok = false;
    const int value = text->toInt(&ok);
    if (!ok)
        return std::nullopt;
    return std::clamp(value, 1, maximum);
}

QJsonObject channelJson(const Workspace::Channel& channel)
{
    return QJsonObject {
        { u"id"_s, channel.id },
        { u"name"_s, channel.name },
        { u"is_channel"_s, !channel.isPrivate },
        { u"is_group"_s, channel.isPrivate },
        { u"is_private"_s, channel.isPrivate },
        { u"is_member"_s, channel.botIsMember },
        { u"is_archived"_s, false },
    };
}

} // namespace

QJsonObject slackErrorBody(const QString& code)
{
    return QJsonObject { { u"ok"_s, false }, { u"error"_s, code } };
}

void Workspace::addChannel(const Channel& channel)
{
    for (Channel& existing : m_channels) {
        if (existing.id == channel.id) {
            existing = channel;
            return;
        }
    }
    m_channels.append(channel);
}

void Workspace::addUser(const QJsonObject& user)
{
    m_users.insert(user.value(u"id").toString(), user);
}

void Workspace::addUser(
    const QString& id, const QString& name, const QString& realName, const QString& displayName)
{
    addUser(QJsonObject {
        { u"id"_s, id },
        { u"team_id"_s, teamId },
        { u"name"_s, name },
        { u"real_name"_s, realName },
        { u"profile"_s,
            QJsonObject { { u"display_name"_s, displayName }, { u"real_name"_s, realName } } },
    });
}

void Workspace::addBot(const Bot& bot)
{
    m_bots.insert(bot.id, bot);
}

QString Workspace::addMessage(const QString& channel, QJsonObject message)
{
    QString ts = message.value(u"ts").toString();
    if (ts.isEmpty()) {
        const auto newest = tsKey(m_newestTs);
        ts = QString::number(newest ? newest->first + 1 : 1'700'000'000) + u".000100";
    }
    message.remove(u"ts");
    if (!message.contains(u"type"))
        message.insert(u"type", u"message"_s);
    if (m_newestTs.isEmpty() || tsLess(m_newestTs, ts))
        m_newestTs = ts;

    QList<StoredMessage>& list = m_messages[channel];
    const auto at = std::lower_bound(list.begin(), list.end(), ts,
        [](const StoredMessage& stored, const QString& key) { return tsLess(stored.ts, key); });
    if (at != list.end() && at->ts == ts)
        at->fields = message;
    else
        list.insert(at, StoredMessage { ts, message, {} });
    return ts;
}

bool Workspace::addReaction(
    const QString& channel, const QString& ts, const QString& name, const QString& user)
{
    StoredMessage* stored = find(channel, ts);
    if (!stored)
        return false;
    for (Reaction& reaction : stored->reactions) {
        if (reaction.name == name) {
            if (!reaction.users.contains(user))
                reaction.users.append(user);
            return true;
        }
    }
    stored->reactions.append(Reaction { name, { user } });
    return true;
}

std::optional<Workspace::Channel> Workspace::channel(const QString& id) const
{
    for (const Channel& channel : m_channels) {
        if (channel.id == id)
            return channel;
    }
    return std::nullopt;
}

Workspace::StoredMessage* Workspace::find(const QString& channel, const QString& ts)
{
    auto it = m_messages.find(channel);
    if (it == m_messages.end())
        return nullptr;
    for (StoredMessage& stored : *it) {
        if (stored.ts == ts)
            return &stored;
    }
    return nullptr;
}

const Workspace::StoredMessage* Workspace::find(const QString& channel, const QString& ts) const
{
    return const_cast<Workspace*>(this)->find(channel, ts);
}

QJsonObject Workspace::toJson(const StoredMessage& stored) const
{
    QJsonObject out = stored.fields;
    out.insert(u"ts", stored.ts);
    if (!stored.reactions.isEmpty()) {
        QJsonArray reactions;
        for (const Reaction& reaction : stored.reactions) {
            reactions.append(QJsonObject {
                { u"name"_s, reaction.name },
                { u"users"_s, QJsonArray::fromStringList(reaction.users) },
                { u"count"_s, reaction.users.size() },
            });
        }
        out.insert(u"reactions", reactions);
    }
    return out;
}

std::optional<QJsonObject> Workspace::message(const QString& channel, const QString& ts) const
{
    if (const StoredMessage* stored = find(channel, ts))
        return toJson(*stored);
    return std::nullopt;
}

QList<Workspace::Reaction> Workspace::reactions(const QString& channel, const QString& ts) const
{
    if (const StoredMessage* stored = find(channel, ts))
        return stored->reactions;
    return {};
}

QJsonObject Workspace::handle(
    const QString& apiMethod, const Params& params, const std::optional<QString>& token)
{
    if (const auto error = tokenError(apiMethod, token))
        return slackErrorBody(*error);
    if (apiMethod == u"auth.test")
        return authTest();
    if (apiMethod == u"users.conversations")
        return usersConversations(params);
    if (apiMethod == u"conversations.info")
        return conversationsInfo(params);
    if (apiMethod == u"users.info")
        return usersInfo(params);
    if (apiMethod == u"bots.info")
        return botsInfo(params);
    if (apiMethod == u"conversations.history")
        return conversationsHistory(params);
    if (apiMethod == u"reactions.get")
        return reactionsGet(params);
    if (apiMethod == u"reactions.add")
        return reactionsAdd(params);
    return slackErrorBody(u"unknown_method"_s);
}

std::optional<QString> Workspace::tokenError(
    const QString& apiMethod, const std::optional<QString>& token) const
{
    if (!token || token->isEmpty())
        return u"not_authed"_s;
    const bool appLevel = apiMethod == u"apps.connections.open";
    if (*token == (appLevel ? appToken : botToken))
        return std::nullopt;
    if (*token == (appLevel ? botToken : appToken))
        return u"not_allowed_token_type"_s;
    return u"invalid_auth"_s;
}

QJsonObject Workspace::authTest() const
{
    return QJsonObject {
        { u"ok"_s, true },
        { u"url"_s, u"https://fake-team.slack.com/"_s },
        { u"team"_s, teamName },
        { u"user"_s, botUserName },
        { u"team_id"_s, teamId },
        { u"user_id"_s, botUserId },
        { u"bot_id"_s, botId },
        { u"is_enterprise_install"_s, false },
    };
}

QJsonObject Workspace::usersConversations(const Params& params) const
{
    const QStringList types
        = paramOf(params, u"types"_s).value_or(u"public_channel"_s).split(u',', Qt::SkipEmptyParts);
    const auto limit = limitOf(params, 100, 1000);
    if (!limit)
        return slackErrorBody(u"invalid_limit"_s);
    qsizetype offset = 0;
    if (const auto cursor = paramOf(params, u"cursor"_s); cursor && !cursor->isEmpty()) {
        const auto decoded = decodeCursor(*cursor, u"offset:"_s);
        bool ok = false;
        offset = decoded ? decoded->toLongLong(&ok) : 0;
        if (!ok || offset < 0)
            return slackErrorBody(u"invalid_cursor"_s);
    }

    QList<Channel> listed;
    for (const Channel& channel : m_channels) {
        const QString type = channel.isPrivate ? u"private_channel"_s : u"public_channel"_s;
        if (channel.botIsMember && types.contains(type))
            listed.append(channel);
    }
    QJsonArray channels;
    for (qsizetype i = offset; i < listed.size() && i < offset + *limit; ++i)
        channels.append(channelJson(listed[i]));
    const qsizetype next = offset + *limit;
    return QJsonObject {
        { u"ok"_s, true },
        { u"channels"_s, channels },
        { u"response_metadata"_s,
            QJsonObject { { u"next_cursor"_s,
                next < listed.size() ? encodeCursor(u"offset:"_s + QString::number(next))
                                     : QString() } } },
    };
}

QJsonObject Workspace::conversationsInfo(const Params& params) const
{
    const auto found = channel(paramOf(params, u"channel"_s).value_or(QString()));
    if (!found)
        return slackErrorBody(u"channel_not_found"_s);
    return QJsonObject { { u"ok"_s, true }, { u"channel"_s, channelJson(*found) } };
}

QJsonObject Workspace::usersInfo(const Params& params) const
{
    const auto it = m_users.constFind(paramOf(params, u"user"_s).value_or(QString()));
    if (it == m_users.constEnd())
        return slackErrorBody(u"user_not_found"_s);
    return QJsonObject { { u"ok"_s, true }, { u"user"_s, *it } };
}

QJsonObject Workspace::botsInfo(const Params& params) const
{
    const auto it = m_bots.constFind(paramOf(params, u"bot"_s).value_or(QString()));
    if (it == m_bots.constEnd())
        return slackErrorBody(u"bot_not_found"_s);
    return QJsonObject {
        { u"ok"_s, true },
        { u"bot"_s,
            QJsonObject {
                { u"id"_s, it->id },
                { u"deleted"_s, false },
                { u"name"_s, it->name },
                { u"app_id"_s, it->appId },
            } },
    };
}

QJsonObject Workspace::conversationsHistory(const Params& params) const
{
    const QString channelId = paramOf(params, u"channel"_s).value_or(QString());
    const auto found = channel(channelId);
    if (!found)
        return slackErrorBody(u"channel_not_found"_s);
    if (!found->botIsMember)
        return slackErrorBody(u"not_in_channel"_s);
    const auto limit = limitOf(params, 100, 999);
    if (!limit)
        return slackErrorBody(u"invalid_limit"_s);
    const QString oldestText = paramOf(params, u"oldest"_s).value_or(u"0"_s);
    const auto oldest = tsKey(oldestText.isEmpty() ? u"0"_s : oldestText);
    if (!oldest)
        return slackErrorBody(u"invalid_ts_oldest"_s);
    std::optional<std::pair<qint64, qint64>> latest;
    if (const auto text = paramOf(params, u"latest"_s); text && !text->isEmpty()) {
        latest = tsKey(*text);
        if (!latest)
            return slackErrorBody(u"invalid_ts_latest"_s);
    }
    const QString inclusiveText = paramOf(params, u"inclusive"_s).value_or(QString());
    const bool inclusive = inclusiveText == u"true" || inclusiveText == u"1";
    std::optional<std::pair<qint64, qint64>> startAt;
    if (const auto cursor = paramOf(params, u"cursor"_s); cursor && !cursor->isEmpty()) {
        const auto decoded = decodeCursor(*cursor, u"next_ts:"_s);
        startAt = decoded ? tsKey(*decoded) : std::nullopt;
        if (!startAt)
            return slackErrorBody(u"invalid_cursor"_s);
    }

    // Slack pages newest first; the cursor names the newest message of the next page.
    QList<const StoredMessage*> selected;
    const QList<StoredMessage> all = m_messages.value(channelId);
    for (auto it = all.crbegin(); it != all.crend(); ++it) {
        const auto key = tsKey(it->ts);
        if (!key)
            continue;
        const bool afterOldest = inclusive ? *key >= *oldest : *key > *oldest;
        const bool beforeLatest = !latest || (inclusive ? *key <= *latest : *key < *latest);
        if (afterOldest && beforeLatest && (!startAt || *key <= *startAt))
            selected.append(&*it);
    }
    QJsonArray messages;
    for (qsizetype i = 0; i < selected.size() && i < *limit; ++i)
        messages.append(toJson(*selected[i]));
    const bool hasMore = selected.size() > *limit;
    QJsonObject out {
        { u"ok"_s, true },
        { u"messages"_s, messages },
        { u"has_more"_s, hasMore },
        { u"pin_count"_s, 0 },
    };
    if (hasMore) {
        out.insert(u"response_metadata",
            QJsonObject {
                { u"next_cursor"_s, encodeCursor(u"next_ts:"_s + selected[*limit]->ts) } });
    }
    return out;
}

QJsonObject Workspace::reactionsGet(const Params& params) const
{
    const auto channelId = paramOf(params, u"channel"_s);
    const auto ts = paramOf(params, u"timestamp"_s);
    if (!channelId || !ts)
        return slackErrorBody(u"no_item_specified"_s);
    if (!channel(*channelId))
        return slackErrorBody(u"channel_not_found"_s);
    const auto found = message(*channelId, *ts);
    if (!found)
        return slackErrorBody(u"message_not_found"_s);
    return QJsonObject {
        { u"ok"_s, true },
        { u"type"_s, u"message"_s },
        { u"channel"_s, *channelId },
        { u"message"_s, *found },
    };
}

QJsonObject Workspace::reactionsAdd(const Params& params)
{
    static const QRegularExpression validName(u"^[a-z0-9_+'\\-]+$"_s);
    const auto channelId = paramOf(params, u"channel"_s);
    const auto ts = paramOf(params, u"timestamp"_s);
    const QString name = paramOf(params, u"name"_s).value_or(QString());
    if (!channelId || !ts)
        return slackErrorBody(u"no_item_specified"_s);
    if (!channel(*channelId))
        return slackErrorBody(u"channel_not_found"_s);
    if (!validName.match(name).hasMatch())
        return slackErrorBody(u"invalid_name"_s);
    if (!find(*channelId, *ts))
        return slackErrorBody(u"message_not_found"_s);
    for (const Reaction& reaction : reactions(*channelId, *ts)) {
        if (reaction.name == name && reaction.users.contains(botUserId))
            return slackErrorBody(u"already_reacted"_s);
    }
    addReaction(*channelId, *ts, name, botUserId);
    return QJsonObject { { u"ok"_s, true } };
}

} // namespace halyard::sim
