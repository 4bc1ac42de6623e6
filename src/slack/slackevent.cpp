#include "slack/slackevent.h"

#include <QJsonObject>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

using json::Decoded;
using json::ObjectReader;
using Event = SlackEventDTO;

Decoded<Event::BotProfile> decodeBotProfile(const QJsonValue& value, const QString& path)
{
    return json::decodeObject<Event::BotProfile>(value, path,
        [](ObjectReader& r) { return Event::BotProfile { r.optionalString(u"name") }; });
}

Decoded<Event::Attachment::Field> decodeField(const QJsonValue& value, const QString& path)
{
    return json::decodeObject<Event::Attachment::Field>(value, path, [](ObjectReader& r) {
        Event::Attachment::Field field;
        field.title = r.optionalString(u"title");
        field.value = r.optionalString(u"value");
        return field;
    });
}

Decoded<Event::Attachment> decodeAttachment(const QJsonValue& value, const QString& path)
{
    return json::decodeObject<Event::Attachment>(value, path, [](ObjectReader& r) {
        Event::Attachment attachment;
        attachment.fallback = r.optionalString(u"fallback");
        attachment.pretext = r.optionalString(u"pretext");
        attachment.title = r.optionalString(u"title");
        attachment.text = r.optionalString(u"text");
        attachment.fields = r.optionalListWith<Event::Attachment::Field>(u"fields", decodeField);
        return attachment;
    });
}

Decoded<Event::ReactionItem> decodeReactionItem(const QJsonValue& value, const QString& path)
{
    return json::decodeObject<Event::ReactionItem>(value, path, [](ObjectReader& r) {
        Event::ReactionItem item;
        item.type = r.optionalString(u"type");
        item.channel = r.optionalString(u"channel");
        item.ts = r.optionalString(u"ts");
        return item;
    });
}

Decoded<Event::ReactionSummary> decodeReactionSummary(const QJsonValue& value, const QString& path)
{
    return json::decodeObject<Event::ReactionSummary>(value, path, [](ObjectReader& r) {
        Event::ReactionSummary summary;
        summary.name = r.optionalString(u"name");
        summary.count = r.optionalInt64(u"count");
        return summary;
    });
}

Decoded<Event::Block::BlockText> decodeBlockText(const QJsonValue& value, const QString& path)
{
    return json::decodeObject<Event::Block::BlockText>(value, path, [](ObjectReader& r) {
        Event::Block::BlockText text;
        text.type = r.optionalString(u"type");
        text.text = r.optionalString(u"text");
        return text;
    });
}

Decoded<Event::Block> decodeBlock(const QJsonValue& value, const QString& path, int depth)
{
    if (!value.isObject())
        return std::unexpected(json::DecodeError { path, u"expected an object"_s });
    const QJsonObject object = value.toObject();
    ObjectReader r(object, path);
    Event::Block block;
    block.type = r.optionalString(u"type");
    block.url = r.optionalString(u"url");
    if (depth < Event::kMaxBlockDepth) {
        block.elements = r.optionalListWith<Event::Block>(
            u"elements", [depth](const QJsonValue& element, const QString& elementPath) {
                return decodeBlock(element, elementPath, depth + 1);
            });
    }
    // The same key holds a text object in blocks and a plain string in rich-text elements. An
    // object that is not a text object is then read as a string, so it fails like a number.
    const QJsonValue text = object.value(u"text");
    if (r.ok() && text.isObject()) {
        if (auto decoded = decodeBlockText(text, r.pathOf(u"text")))
            block.text = std::move(*decoded);
        else
            r.fail(u"text", u"expected a text object or a string"_s);
    } else if (text.isString()) {
        block.plainText = text.toString();
    } else if (!text.isUndefined() && !text.isNull()) {
        r.fail(u"text", u"expected a text object or a string"_s);
    }
    return r.finish(std::move(block));
}

} // namespace

bool operator==(const SlackEventDTO::Block& a, const SlackEventDTO::Block& b)
{
    return a.type == b.type && a.text == b.text && a.elements == b.elements
        && a.plainText == b.plainText && a.url == b.url;
}

json::Decoded<SlackEventDTO> decodeSlackEventDTO(const QJsonValue& value, const QString& path)
{
    return json::decodeObject<SlackEventDTO>(value, path, [](ObjectReader& r) {
        SlackEventDTO event;
        event.type = r.requiredString(u"type");
        event.subtype = r.optionalString(u"subtype");
        event.channel = r.optionalString(u"channel");
        event.user = r.optionalString(u"user");
        event.bot_id = r.optionalString(u"bot_id");
        event.text = r.optionalString(u"text");
        event.ts = r.optionalString(u"ts");
        event.username = r.optionalString(u"username");
        event.bot_profile = r.optionalWith<Event::BotProfile>(u"bot_profile", decodeBotProfile);
        event.attachments = r.optionalListWith<Event::Attachment>(u"attachments", decodeAttachment);
        event.blocks = r.optionalListWith<Event::Block>(
            u"blocks", [](const QJsonValue& block, const QString& blockPath) {
                return decodeBlock(block, blockPath, 1);
            });
        event.reaction = r.optionalString(u"reaction");
        event.item = r.optionalWith<Event::ReactionItem>(u"item", decodeReactionItem);
        event.reactions
            = r.optionalListWith<Event::ReactionSummary>(u"reactions", decodeReactionSummary);
        return event;
    });
}

} // namespace halyard
