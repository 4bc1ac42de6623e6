// Shortcode replacement over the shipped table: no crash, text without colons untouched, and
// output bounded by the input.
#include "slack/text/slackemoji.h"

#include <cstdint>
#include <cstdlib>

using namespace halyard;

namespace {

void check(const QString& text)
{
    const QString out = SlackEmoji::replacingShortcodes(text);
    if (!text.contains(u':') && out != text)
        abort();
    // The longest emoji is a few times its shortest shortcode, never more.
    if (out.size() > text.size() * 4 + 16)
        abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    check(QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)));
    check(QString(reinterpret_cast<const QChar*>(data), qsizetype(size / 2)));
    return 0;
}
