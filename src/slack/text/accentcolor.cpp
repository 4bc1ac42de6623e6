#include "slack/text/accentcolor.h"

#include <algorithm>
#include <cmath>

namespace halyard {

QString RgbColor::hexName() const
{
    const auto byte = [](double component) {
        return QStringLiteral("%1").arg(
            int(std::lround(std::clamp(component, 0.0, 1.0) * 255.0)), 2, 16, QLatin1Char('0'));
    };
    return u'#' + byte(red) + byte(green) + byte(blue);
}

} // namespace halyard
