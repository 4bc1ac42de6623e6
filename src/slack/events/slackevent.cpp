#include "slack/events/slackevent.h"

namespace halyard {

bool operator==(const SlackEventDTO::Block& a, const SlackEventDTO::Block& b)
{
    return a.type == b.type && a.text == b.text && a.elements == b.elements
        && a.plainText == b.plainText && a.url == b.url;
}

} // namespace halyard
