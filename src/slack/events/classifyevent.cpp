#include "slack/events/classifyevent.h"

#include "common/logging.h"
#include "common/servertext.h"

namespace halyard {

std::optional<ClassifiedEvent> classifyEvent(const SlackEventDTO& event)
{
    if (auto message = MessageEvent::fromEvent(event)) {
        qCDebug(lcSocket, "Dispatching message: channel=%s ts=%s isBot=%s",
            qUtf8Printable(logCut(message->channelId)), qUtf8Printable(message->ts),
            message->isBot ? "true" : "false");
        return ClassifiedEvent { std::move(*message) };
    }
    if (auto reaction = ReactionEvent::fromEvent(event)) {
        qCDebug(lcSocket, "Dispatching reaction: channel=%s ts=%s emoji=%s user=%s",
            qUtf8Printable(logCut(reaction->channelId)), qUtf8Printable(logCut(reaction->ts)),
            qUtf8Printable(logCut(reaction->reaction)), qUtf8Printable(logCut(reaction->userId)));
        return ClassifiedEvent { std::move(*reaction) };
    }
    qCDebug(lcSocket, "Event dropped by all decoders: type=%s subtype=%s",
        qUtf8Printable(logCut(event.type)),
        event.subtype ? qUtf8Printable(logCut(*event.subtype)) : "<nil>");
    return std::nullopt;
}

} // namespace halyard
