// Token field text: a message or nothing, never a crash; nothing to say only for blank text
// or the field's own prefix.
#include "settings/tokenvalidation.h"

#include <cstdint>
#include <cstdlib>

using namespace Qt::Literals::StringLiterals;
using namespace halyard;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString trimmed = text.trimmed();
    const auto bot = tokenValidationMessage(text, TokenField::bot);
    const auto app = tokenValidationMessage(text, TokenField::app);
    if (!bot && !trimmed.isEmpty() && !trimmed.startsWith(u"xoxb-"_s))
        abort();
    if (!app && !trimmed.isEmpty() && !trimmed.startsWith(u"xapp-"_s))
        abort();
    if ((bot && bot->isEmpty()) || (app && app->isEmpty()))
        abort();
    return 0;
}
