#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <optional>

// Where the panel and the settings window go, as pure functions over rectangles in Qt's
// coordinates (y grows downward). The top of a screen's available geometry plays the menu bar:
// the panel hangs from its top-left corner and grows downward, and every clamp keeps the left
// and top edges when a window does not fit.
namespace halyard::placement {

// What placement needs of a screen; the first screen of a list is the primary one.
struct ScreenInfo {
    QString name;
    QRectF geometry;
    // The work area: the geometry without the desktop's panels and docks.
    QRectF available;
};

// The panel is never narrower or wider than its content asks for, and its top edge never rises
// above the work area; it may hang past the other edges.
QRectF constrainFrame(const QRectF& proposed, double preferredWidth, const QRectF& available);

// The top-left corner nearest to `point` that keeps a window of `size` inside `available`.
QPointF clampTopLeft(QPointF point, QSizeF size, const QRectF& available);

// The screen with this name; the primary screen when the name is absent or unknown. Absent only
// when there are no screens.
std::optional<ScreenInfo> screenForDisplayID(
    const std::optional<QString>& name, const QList<ScreenInfo>& screens);

struct SavedPosition {
    QPointF topLeft;
    std::optional<QString> displayID;
    friend bool operator==(const SavedPosition&, const SavedPosition&) = default;
};

// Where the panel starts: the saved corner on its screen, clamped; without one, 8 px in from the
// left of the primary screen's work area, at its top.
QPointF initialTopLeft(
    const std::optional<SavedPosition>& saved, QSizeF panelSize, const QList<ScreenInfo>& screens);

// The height the queue list may take below a panel whose top edge is at `anchoredTop`; never
// below kMinQueueHeight.
double maxQueueHeight(double anchoredTop, const QRectF& available);
inline constexpr double kMinQueueHeight = 120.0;

// A drag that ends with the panel's top within kSnapDistance of the top of the work area (or
// above it) ends flush against it; the new top-left corner, or nothing when the panel stays where
// it was let go.
std::optional<QPointF> snapToMenuBar(const QRectF& frame, const QRectF& available);
inline constexpr double kSnapDistance = 50.0;

// Where the settings window goes beside a panel at `panel`: on its right, else on its left,
// else below or above it, 8 px away, then clamped into the work area.
QPointF settingsWindowOrigin(const QRectF& panel, QSizeF size, const QRectF& available);

// Whether the rectangle's centre lies on one of the screens.
bool isFrameOnAnyScreen(const QRectF& frame, const QList<ScreenInfo>& screens);

} // namespace halyard::placement
