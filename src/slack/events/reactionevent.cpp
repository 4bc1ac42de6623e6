#include "slack/events/reactionevent.h"

using namespace Qt::Literals::StringLiterals;

namespace halyard {

std::optional<ReactionEvent> ReactionEvent::fromEvent(const SlackEventDTO& event)
{
    if (event.type != u"reaction_added"_s || !event.reaction || !event.item)
        return std::nullopt;
    const SlackEventDTO::ReactionItem& item = *event.item;
    if (item.type != u"message"_s || !item.channel || !item.ts || !event.user)
        return std::nullopt;
    return ReactionEvent { *event.user, *event.reaction, *item.channel, *item.ts };
}

} // namespace halyard
