#include "slack/events/slackeventdecoder.h"

using namespace Qt::Literals::StringLiterals;

namespace halyard::payload {

namespace {

using Event = SlackEventDTO;

Decoded<Event::BotProfile> decodeBotProfile(Value value, const Path& path)
{
    return decodeObject<Event::BotProfile>(value, path,
        [](ObjectReader& r) { return Event::BotProfile { r.optionalString("name") }; });
}

Decoded<Event::Attachment::Field> decodeField(Value value, const Path& path)
{
    return decodeObject<Event::Attachment::Field>(value, path, [](ObjectReader& r) {
        Event::Attachment::Field field;
        field.title = r.optionalString("title");
        field.value = r.optionalString("value");
        return field;
    });
}

Decoded<Event::Attachment> decodeAttachment(Value value, const Path& path)
{
    return decodeObject<Event::Attachment>(value, path, [](ObjectReader& r) {
        Event::Attachment attachment;
        attachment.fallback = r.optionalString("fallback");
        attachment.pretext = r.optionalString("pretext");
        attachment.title = r.optionalString("title");
        attachment.text = r.optionalString("text");
        attachment.fields = r.optionalListWith<Event::Attachment::Field>("fields", decodeField);
        return attachment;
    });
}

Decoded<Event::ReactionItem> decodeReactionItem(Value value, const Path& path)
{
    return decodeObject<Event::ReactionItem>(value, path, [](ObjectReader& r) {
        Event::ReactionItem item;
        item.type = r.optionalString("type");
        item.channel = r.optionalString("channel");
        item.ts = r.optionalString("ts");
        return item;
    });
}

Decoded<Event::ReactionSummary> decodeReactionSummary(Value value, const Path& path)
{
    return decodeObject<Event::ReactionSummary>(value, path, [](ObjectReader& r) {
        Event::ReactionSummary summary;
        summary.name = r.optionalString("name");
        summary.count = r.optionalInt64("count");
        return summary;
    });
}

Decoded<Event::Block::BlockText> decodeBlockText(Value value, const Path& path)
{
    return decodeObject<Event::Block::BlockText>(value, path, [](ObjectReader& r) {
        Event::Block::BlockText text;
        text.type = r.optionalString("type");
        text.text = r.optionalString("text");
        return text;
    });
}

Decoded<Event::Block> decodeBlock(Value value, const Path& path, int depth)
{
    return decodeObject<Event::Block>(value, path, [depth](ObjectReader& r) {
        Event::Block block;
        block.type = r.optionalString("type");
        block.url = r.optionalString("url");
        if (depth < Event::kMaxBlockDepth) {
            block.elements = r.optionalListWith<Event::Block>(
                "elements", [depth](Value element, const Path& elementPath) {
                    return decodeBlock(element, elementPath, depth + 1);
                });
        }
        // The same key holds a text object in blocks and a plain string in rich-text elements.
        // An object that is not a text object is then read as a string, so it fails like a
        // number.
        const auto text = r.present("text");
        if (!text)
            return block;
        std::string_view plain;
        if (!text->get_string().get(plain)) {
            block.plainText = QString::fromUtf8(plain.data(), qsizetype(plain.size()));
        } else if (text->is_object() && r.ok()) {
            if (auto decoded = decodeBlockText(*text, Path {}))
                block.text = std::move(*decoded);
            else
                r.fail("text", u"expected a text object or a string"_s);
        } else {
            r.fail("text", u"expected a text object or a string"_s);
        }
        return block;
    });
}

} // namespace

Decoded<SlackEventDTO> decodeSlackEvent(Value value, const Path& path)
{
    return decodeObject<SlackEventDTO>(value, path, [](ObjectReader& r) {
        SlackEventDTO event;
        event.type = r.requiredString("type");
        event.subtype = r.optionalString("subtype");
        event.channel = r.optionalString("channel");
        event.user = r.optionalString("user");
        event.bot_id = r.optionalString("bot_id");
        event.text = r.optionalString("text");
        event.ts = r.optionalString("ts");
        event.username = r.optionalString("username");
        event.bot_profile = r.optionalWith<Event::BotProfile>("bot_profile", decodeBotProfile);
        event.attachments = r.optionalListWith<Event::Attachment>("attachments", decodeAttachment);
        event.blocks = r.optionalListWith<Event::Block>("blocks",
            [](Value block, const Path& blockPath) { return decodeBlock(block, blockPath, 1); });
        event.reaction = r.optionalString("reaction");
        event.item = r.optionalWith<Event::ReactionItem>("item", decodeReactionItem);
        event.reactions
            = r.optionalListWith<Event::ReactionSummary>("reactions", decodeReactionSummary);
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
