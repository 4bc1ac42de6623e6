#include "freedesktop/endpointrule.h"

#include <QHostAddress>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

bool isTrustedEndpoint(const QUrl& url)
{
    if (!url.isValid() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == u"https")
        return true;
    if (scheme != u"http")
        return false;
    // Only literal addresses and the name reserved for this computer: any other name may resolve
    // anywhere.
    const QString host = url.host().toLower();
    return host == u"localhost" || QHostAddress(host).isLoopback();
}

} // namespace halyard
