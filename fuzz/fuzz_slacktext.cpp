// Slack markup from any text, including lone surrogates: segments keep their promises, the plain
// text is never longer than what came in, and the styled text renders.
#include "slack/text/slacktext.h"

#include <cstdint>
#include <cstdlib>

using namespace halyard;

namespace {

void check(const QString& text)
{
    const auto segments = SlackText::segments(text);
    bool previousWasText = false;
    qsizetype shown = 0;
    for (const auto& segment : segments) {
        if (const auto* plain = std::get_if<SlackText::Text>(&segment)) {
            if (plain->text.isEmpty() || previousWasText)
                abort();
            shown += plain->text.size();
            previousWasText = true;
        } else if (const auto* link = std::get_if<SlackText::Link>(&segment)) {
            const QString scheme = link->url.scheme();
            if (!link->url.isValid()
                || (scheme != u"https" && scheme != u"http" && scheme != u"mailto"))
                abort();
            shown += link->label.size();
            previousWasText = false;
        } else {
            shown += std::get<SlackText::Mention>(segment).text.size();
            previousWasText = false;
        }
    }
    // Brackets only ever shrink to what they show, and marks are dropped, never added.
    if (shown > text.size() || SlackText::plainText(text).size() > text.size())
        abort();
    (void)SlackText::attributedText(text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    check(QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)));
    check(QString(reinterpret_cast<const QChar*>(data), qsizetype(size / 2)));
    return 0;
}
