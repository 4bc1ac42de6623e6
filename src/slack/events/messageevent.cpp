#include "slack/events/messageevent.h"

#include "common/servertext.h"

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

bool nonEmpty(const std::optional<QString>& value)
{
    return value && !value->isEmpty();
}

} // namespace

const QSet<QString>& ignoredMessageSubtypes()
{
    static const QSet<QString> subtypes {
        u"message_changed"_s,
        u"message_deleted"_s,
        u"channel_join"_s,
        u"channel_leave"_s,
        u"channel_topic"_s,
        u"channel_purpose"_s,
        u"channel_name"_s,
        u"channel_archive"_s,
        u"channel_unarchive"_s,
        u"group_join"_s,
        u"group_leave"_s,
        u"group_topic"_s,
        u"group_purpose"_s,
        u"group_name"_s,
        u"group_archive"_s,
        u"group_unarchive"_s,
        u"pinned_item"_s,
        u"unpinned_item"_s,
        u"bot_add"_s,
        u"bot_remove"_s,
        u"reminder_add"_s,
    };
    return subtypes;
}

std::optional<MessageEvent> MessageEvent::fromEvent(
    const SlackEventDTO& event, const std::optional<QString>& fallbackChannelId)
{
    if (event.type != u"message"_s)
        return std::nullopt;
    const std::optional<QString>& channel = event.channel ? event.channel : fallbackChannelId;
    // The ts names the message in every later call (reactions, history marks), so only Slack's
    // own form is taken.
    if (!channel || !event.ts || !isSlackTimestamp(*event.ts))
        return std::nullopt;
    if (event.subtype && ignoredMessageSubtypes().contains(*event.subtype))
        return std::nullopt;
    std::optional<QString> text = event.displayText();
    if (!text)
        return std::nullopt;

    MessageEvent message;
    message.channelId = *channel;
    message.userId = event.user ? event.user : event.bot_id;
    message.text = std::move(*text);
    message.ts = *event.ts;
    if (nonEmpty(event.username))
        message.displayUsername = event.username;
    else if (event.bot_profile && nonEmpty(event.bot_profile->name))
        message.displayUsername = event.bot_profile->name;
    message.isBot = event.subtype == u"bot_message"_s || event.bot_id || event.bot_profile;
    return message;
}

double MessageEvent::timestampDate() const
{
    if (!isSlackTimestamp(ts))
        return 0;
    const double seconds = QStringView(ts).first(ts.indexOf(u'.')).toDouble();
    return std::isfinite(seconds) ? seconds : 0;
}

} // namespace halyard
