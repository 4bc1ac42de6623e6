// Socket Mode frames: decoding must never crash and every failure, of the envelope or of its
// payload, must say why. Whatever decodes is classified too.
#include "slack/events/classifyevent.h"
#include "slack/socket/socketmodeenvelope.h"

#include <QLoggingCategory>

#include <cstdint>
#include <cstdlib>

using namespace Qt::Literals::StringLiterals;
using namespace halyard;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    QLoggingCategory::setFilterRules(u"com.corvane.Halyard.*.debug=false"_s);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray frame(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto decoded = SocketModeEnvelope::decode(frame);
    if (!decoded) {
        if (decoded.error().description().isEmpty())
            abort();
        return 0;
    }
    if (const auto* events = std::get_if<SocketModeEnvelope::EventsApi>(&decoded->value)) {
        const QString ack = SocketModeEnvelope::encodeAcknowledgement(events->envelopeId);
        if (!ack.startsWith(u"{\"envelope_id\":"_s) && ack != u"{}"_s)
            abort();
        if (!events->event) {
            if (events->event.error().description().isEmpty())
                abort();
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
