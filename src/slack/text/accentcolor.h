#pragma once

#include <QString>

namespace halyard {

// An sRGB colour with components from 0 to 1, so the core needs no GUI library; views convert
// it with QColor::fromRgbF.
struct RgbColor {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;

    // "#rrggbb", for style sheets and HTML.
    QString hexName() const;

    friend bool operator==(const RgbColor&, const RgbColor&) = default;
};

// The program's accent colour: links in alert text and the wordmark.
inline constexpr RgbColor accentColor { 0.96, 0.65, 0.14, 1.0 };

} // namespace halyard
