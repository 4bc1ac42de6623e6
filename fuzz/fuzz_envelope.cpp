// Everything Slack sends, read by the one payload decoder: Socket Mode frames and Web API reply
// bodies. Decoding must never crash and every failure, of the whole or of one part (an event's
// payload, a skipped channel or message), must say why. Whatever decodes is classified too.
#include "slack/events/classifyevent.h"
#include "slack/socket/socketmodeenvelope.h"
#include "slack/webapi/responses.h"

#include <QLoggingCategory>

#include <cstdint>
#include <cstdlib>

using namespace Qt::Literals::StringLiterals;
using namespace halyard;

namespace {

void checkDescribed(const json::DecodeError& error)
{
    if (error.description().isEmpty())
        abort();
}

template <typename T> void decodeReply(QByteArrayView body)
{
    const auto decoded = T::decode(body);
    if (!decoded)
        checkDescribed(decoded.error());
}

void decodeReplies(QByteArrayView body)
{
    using namespace webapi;
    decodeReply<AuthTestResponse>(body);
    decodeReply<ConnectionsOpenResponse>(body);
    decodeReply<ConversationsInfoResponse>(body);
    decodeReply<BotsInfoResponse>(body);
    decodeReply<ReactionsGetResponse>(body);
    decodeReply<ReactionsAddResponse>(body);
    if (const auto user = UsersInfoResponse::decode(body); user && user->user)
        (void)user->user->displayName();
    if (const auto list = UsersConversationsResponse::decode(body); list) {
        for (const json::DecodeError& skipped : list->skipped)
            checkDescribed(skipped);
    }
    if (const auto page = ConversationsHistoryResponse::decode(body); page) {
        for (const SkippedMessage& skipped : page->skipped) {
            if (skipped.reason.isEmpty())
                abort();
        }
        for (const SlackEventDTO& message : page->messages.value_or(QList<SlackEventDTO> {}))
            (void)MessageEvent::fromEvent(message, u"C1"_s);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    QLoggingCategory::setFilterRules(u"com.corvane.Halyard.*.debug=false"_s);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray frame(reinterpret_cast<const char*>(data), qsizetype(size));
    decodeReplies(frame);
    const auto decoded = SocketModeEnvelope::decode(frame);
    if (!decoded) {
        checkDescribed(decoded.error());
        return 0;
    }
    if (const auto* events = std::get_if<SocketModeEnvelope::EventsApi>(&decoded->value)) {
        const QString ack = SocketModeEnvelope::encodeAcknowledgement(events->envelopeId);
        if (!ack.startsWith(u"{\"envelope_id\":"_s) && ack != u"{}"_s)
            abort();
        if (!events->event) {
            checkDescribed(events->event.error());
            return 0;
        }
        if (auto classified = classifyEvent(*events->event)) {
            if (const auto* message = std::get_if<MessageEvent>(&*classified))
                (void)message->timestampDate();
        }
        (void)MessageEvent::fromEvent(*events->event, u"C1"_s);
    }
    return 0;
}
