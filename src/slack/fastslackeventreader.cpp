#include "slack/fastslackeventreader.h"

namespace halyard {

namespace {

using namespace strictjson;
using Event = SlackEventDTO;
using Cursor = StrictJsonCursor;

bool readBotProfile(Cursor& c, Event::BotProfile& profile)
{
    SeenKeys seen;
    return readObject(c, [&](QByteArrayView key) {
        if (key == "name")
            return seen.firstTime(c, 0) && readOptionalString(c, profile.name);
        return c.skipValue();
    });
}

bool readField(Cursor& c, Event::Attachment::Field& field)
{
    SeenKeys seen;
    return readObject(c, [&](QByteArrayView key) {
        if (key == "title")
            return seen.firstTime(c, 0) && readOptionalString(c, field.title);
        if (key == "value")
            return seen.firstTime(c, 1) && readOptionalString(c, field.value);
        return c.skipValue();
    });
}

bool readAttachment(Cursor& c, Event::Attachment& attachment)
{
    SeenKeys seen;
    return readObject(c, [&](QByteArrayView key) {
        if (key == "fallback")
            return seen.firstTime(c, 0) && readOptionalString(c, attachment.fallback);
        if (key == "pretext")
            return seen.firstTime(c, 1) && readOptionalString(c, attachment.pretext);
        if (key == "title")
            return seen.firstTime(c, 2) && readOptionalString(c, attachment.title);
        if (key == "text")
            return seen.firstTime(c, 3) && readOptionalString(c, attachment.text);
        if (key == "fields")
            return seen.firstTime(c, 4) && readOptionalList(c, attachment.fields, readField);
        return c.skipValue();
    });
}

bool readReactionItem(Cursor& c, Event::ReactionItem& item)
{
    SeenKeys seen;
    return readObject(c, [&](QByteArrayView key) {
        if (key == "type")
            return seen.firstTime(c, 0) && readOptionalString(c, item.type);
        if (key == "channel")
            return seen.firstTime(c, 1) && readOptionalString(c, item.channel);
        if (key == "ts")
            return seen.firstTime(c, 2) && readOptionalString(c, item.ts);
        return c.skipValue();
    });
}

bool readReactionSummary(Cursor& c, Event::ReactionSummary& summary)
{
    SeenKeys seen;
    return readObject(c, [&](QByteArrayView key) {
        if (key == "name")
            return seen.firstTime(c, 0) && readOptionalString(c, summary.name);
        if (key == "count")
            return seen.firstTime(c, 1) && readOptionalInt64(c, summary.count);
        return c.skipValue();
    });
}

bool readBlockText(Cursor& c, Event::Block::BlockText& text)
{
    SeenKeys seen;
    return readObject(c, [&](QByteArrayView key) {
        if (key == "type")
            return seen.firstTime(c, 0) && readOptionalString(c, text.type);
        if (key == "text")
            return seen.firstTime(c, 1) && readOptionalString(c, text.text);
        return c.skipValue();
    });
}

bool readBlock(Cursor& c, Event::Block& block, int depth)
{
    // The general decoder stops reading elements at the depth limit; leave that rule to it.
    if (depth >= Event::kMaxBlockDepth) {
        c.giveUp();
        return false;
    }
    SeenKeys seen;
    return readObject(c, [&](QByteArrayView key) {
        if (key == "type")
            return seen.firstTime(c, 0) && readOptionalString(c, block.type);
        if (key == "url")
            return seen.firstTime(c, 1) && readOptionalString(c, block.url);
        if (key == "elements") {
            return seen.firstTime(c, 2)
                && readOptionalList(
                    c, block.elements, [depth](Cursor& cursor, Event::Block& child) {
                        return readBlock(cursor, child, depth + 1);
                    });
        }
        if (key == "text") {
            if (!seen.firstTime(c, 3))
                return false;
            switch (c.peek()) {
            case 'n':
                return c.takeNull();
            case '"':
                block.plainText.emplace();
                return c.readString(*block.plainText);
            case '{':
                block.text.emplace();
                return readBlockText(c, *block.text);
            default:
                c.giveUp();
                return false;
            }
        }
        return c.skipValue();
    });
}

} // namespace

bool readSlackEventDTO(StrictJsonCursor& c, SlackEventDTO& event)
{
    SeenKeys seen;
    bool hasType = false;
    const bool read = readObject(c, [&](QByteArrayView key) {
        if (key == "type") {
            if (!seen.firstTime(c, 0))
                return false;
            hasType = !c.takeNull();
            return hasType ? c.readString(event.type) : c.ok();
        }
        if (key == "subtype")
            return seen.firstTime(c, 1) && readOptionalString(c, event.subtype);
        if (key == "channel")
            return seen.firstTime(c, 2) && readOptionalString(c, event.channel);
        if (key == "user")
            return seen.firstTime(c, 3) && readOptionalString(c, event.user);
        if (key == "bot_id")
            return seen.firstTime(c, 4) && readOptionalString(c, event.bot_id);
        if (key == "text")
            return seen.firstTime(c, 5) && readOptionalString(c, event.text);
        if (key == "ts")
            return seen.firstTime(c, 6) && readOptionalString(c, event.ts);
        if (key == "username")
            return seen.firstTime(c, 7) && readOptionalString(c, event.username);
        if (key == "bot_profile")
            return seen.firstTime(c, 8) && readOptionalObject(c, event.bot_profile, readBotProfile);
        if (key == "attachments") {
            return seen.firstTime(c, 9) && readOptionalList(c, event.attachments, readAttachment);
        }
        if (key == "blocks") {
            return seen.firstTime(c, 10)
                && readOptionalList(c, event.blocks, [](Cursor& cursor, Event::Block& block) {
                       return readBlock(cursor, block, 1);
                   });
        }
        if (key == "reaction")
            return seen.firstTime(c, 11) && readOptionalString(c, event.reaction);
        if (key == "item")
            return seen.firstTime(c, 12) && readOptionalObject(c, event.item, readReactionItem);
        if (key == "reactions") {
            return seen.firstTime(c, 13)
                && readOptionalList(c, event.reactions, readReactionSummary);
        }
        return c.skipValue();
    });
    if (read && !hasType)
        c.giveUp();
    return read && hasType;
}

} // namespace halyard
