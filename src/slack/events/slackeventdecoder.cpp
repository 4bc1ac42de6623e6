#include "slack/events/slackeventdecoder.h"

using namespace Qt::Literals::StringLiterals;

namespace halyard::payload {

namespace {

using Event = SlackEventDTO;

// Display-only records: read with display reads, so they never fail the event.

Event::BotProfile readBotProfile(SlackObjectReader& r)
{
    return Event::BotProfile { r.displayString("name") };
}

Event::Attachment::Field readField(SlackObjectReader& r)
{
    Event::Attachment::Field field;
    field.title = r.displayString("title");
    field.value = r.displayString("value");
    return field;
}

Event::Attachment readAttachment(SlackObjectReader& r)
{
    Event::Attachment attachment;
    attachment.fallback = r.displayString("fallback");
    attachment.pretext = r.displayString("pretext");
    attachment.title = r.displayString("title");
    attachment.text = r.displayString("text");
    attachment.fields = r.displayObjectList<Event::Attachment::Field>("fields", readField);
    return attachment;
}

// Reaction counts decide whether a message was acknowledged in Slack; an odd entry is dropped
// rather than the message, which then at worst shows an alert someone already acknowledged.
Event::ReactionSummary readReactionSummary(SlackObjectReader& r)
{
    Event::ReactionSummary summary;
    summary.name = r.displayString("name");
    summary.count = r.displayInt64("count");
    return summary;
}

Event::Block::BlockText readBlockText(SlackObjectReader& r)
{
    Event::Block::BlockText text;
    text.type = r.displayString("type");
    text.text = r.displayString("text");
    return text;
}

Event::Block readBlock(SlackObjectReader& r, int depth)
{
    Event::Block block;
    block.type = r.displayString("type");
    block.url = r.displayString("url");
    if (depth < Event::kMaxBlockDepth) {
        block.elements = r.displayObjectList<Event::Block>("elements",
            [depth](SlackObjectReader& element) { return readBlock(element, depth + 1); });
    }
    // The same key holds a text object in blocks and a plain string in rich-text elements;
    // anything else is no text.
    block.plainText = r.displayString("text");
    if (!block.plainText)
        block.text = r.displayObject<Event::Block::BlockText>("text", readBlockText);
    return block;
}

Decoded<Event::ReactionItem> decodeReactionItem(Value value, const Path& path)
{
    return decodeObject<Event::ReactionItem>(value, path, [](SlackObjectReader& r) {
        Event::ReactionItem item;
        item.type = r.optionalString("type");
        item.channel = r.optionalString("channel");
        item.ts = r.optionalString("ts");
        return item;
    });
}

} // namespace

Decoded<SlackEventDTO> decodeSlackEvent(Value value, const Path& path)
{
    return decodeObject<SlackEventDTO>(value, path, [](SlackObjectReader& r) {
        SlackEventDTO event;
        // What the intake needs is strict: a wrong type fails the event with its key path.
        event.type = r.requiredString("type");
        event.subtype = r.optionalString("subtype");
        event.channel = r.optionalString("channel");
        event.user = r.optionalString("user");
        event.bot_id = r.optionalString("bot_id");
        event.ts = r.optionalString("ts");
        event.reaction = r.optionalString("reaction");
        event.item = r.optionalWith<Event::ReactionItem>("item", decodeReactionItem);
        if (!r.ok())
            return event;
        // What only feeds the display takes what it can read.
        event.text = r.displayString("text");
        event.username = r.displayString("username");
        event.bot_profile = r.displayObject<Event::BotProfile>("bot_profile", readBotProfile);
        event.attachments = r.displayObjectList<Event::Attachment>("attachments", readAttachment);
        event.blocks = r.displayObjectList<Event::Block>(
            "blocks", [](SlackObjectReader& block) { return readBlock(block, 1); });
        event.reactions
            = r.displayObjectList<Event::ReactionSummary>("reactions", readReactionSummary);
        return event;
    });
}

} // namespace halyard::payload

namespace halyard {

json::Decoded<SlackEventDTO> decodeSlackEventDTO(QByteArrayView json)
{
    return payload::decodeDocument<SlackEventDTO>(json, payload::decodeSlackEvent);
}

} // namespace halyard
