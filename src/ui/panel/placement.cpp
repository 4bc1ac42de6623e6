#include "ui/panel/placement.h"

#include <algorithm>

namespace halyard::placement {

namespace {

constexpr double kInitialInset = 8.0;
constexpr double kBarHeight = 28.0;
constexpr double kBottomMargin = 8.0;
constexpr double kSettingsGap = 8.0;
// Widths within a pixel of the content's count as equal: fractional scaling rounds.
constexpr double kWidthTolerance = 1.0;

} // namespace

QRectF constrainFrame(const QRectF& proposed, double preferredWidth, const QRectF& available)
{
    QRectF frame = proposed;
    if (preferredWidth > 0 && preferredWidth + kWidthTolerance < frame.width())
        frame.setWidth(preferredWidth);
    if (frame.top() < available.top())
        frame.moveTop(available.top());
    return frame;
}

QPointF clampTopLeft(QPointF point, QSizeF size, const QRectF& available)
{
    // std::max last, so that the left and top edges win when the window does not fit.
    return { std::max(available.left(), std::min(point.x(), available.right() - size.width())),
        std::max(available.top(), std::min(point.y(), available.bottom() - size.height())) };
}

std::optional<ScreenInfo> screenForDisplayID(
    const std::optional<QString>& name, const QList<ScreenInfo>& screens)
{
    if (screens.isEmpty())
        return std::nullopt;
    if (name) {
        for (const ScreenInfo& screen : screens) {
            if (screen.name == *name)
                return screen;
        }
    }
    return screens.first();
}

QPointF initialTopLeft(
    const std::optional<SavedPosition>& saved, QSizeF panelSize, const QList<ScreenInfo>& screens)
{
    if (screens.isEmpty())
        return {};
    if (saved) {
        const ScreenInfo screen = *screenForDisplayID(saved->displayID, screens);
        return clampTopLeft(saved->topLeft, panelSize, screen.available);
    }
    const QRectF& work = screens.first().available;
    return { work.left() + kInitialInset, work.top() };
}

double maxQueueHeight(double anchoredTop, const QRectF& available)
{
    return std::max(available.bottom() - anchoredTop - kBarHeight - kBottomMargin, kMinQueueHeight);
}

std::optional<QPointF> snapToMenuBar(const QRectF& frame, const QRectF& available)
{
    if (frame.top() - available.top() >= kSnapDistance)
        return std::nullopt;
    return QPointF(frame.left(), available.top());
}

QPointF settingsWindowOrigin(const QRectF& panel, QSizeF size, const QRectF& available)
{
    const double w = size.width();
    const double h = size.height();
    QPointF origin;
    if (available.right() - panel.right() - kSettingsGap >= w) {
        origin = { panel.right() + kSettingsGap, panel.top() };
    } else if (panel.left() - available.left() - kSettingsGap < w) {
        const double spaceAbove = panel.top() - available.top();
        const double spaceBelow = available.bottom() - panel.bottom();
        const double y = spaceAbove <= spaceBelow ? panel.bottom() + kSettingsGap
                                                  : panel.top() - kSettingsGap - h;
        double x = panel.left();
        if (x + w > available.right())
            x = available.right() - w;
        origin = { x, y };
    } else {
        origin = { panel.left() - kSettingsGap - w, panel.top() };
    }
    return clampTopLeft(origin, size, available);
}

bool isFrameOnAnyScreen(const QRectF& frame, const QList<ScreenInfo>& screens)
{
    const QPointF centre = frame.center();
    return std::ranges::any_of(screens, [&](const ScreenInfo& screen) {
        const QRectF& g = screen.geometry;
        return centre.x() >= g.left() && centre.x() < g.right() && centre.y() >= g.top()
            && centre.y() < g.bottom();
    });
}

} // namespace halyard::placement
