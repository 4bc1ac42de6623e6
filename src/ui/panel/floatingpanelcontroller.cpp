#include "ui/panel/floatingpanelcontroller.h"

#include "common/logging.h"
#include "settings/settingsstore.h"
#include "slack/systemevents.h"
#include "ui/common/panellayout.h"
#include "ui/panel/panelpositionstore.h"

#include <cmath>

namespace halyard {

namespace {

// Sizes within a pixel of the content's count as equal: fractional scaling rounds.
constexpr double kSizeTolerance = 1.0;
// The smallest drift across a pause worth logging and saving.
constexpr double kDriftTolerance = 0.5;

// Sets a flag for the duration of a programmatic change.
class FlagGuard {
public:
    explicit FlagGuard(bool& flag)
        : m_flag(flag)
    {
        m_flag = true;
    }
    ~FlagGuard() { m_flag = false; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

private:
    bool& m_flag;
};

} // namespace

FloatingPanelController::FloatingPanelController(PanelWindow& panel,
    PanelPositionStore& positionStore, const SettingsStore& settingsStore, PanelLayout& layout,
    ScreenSource screens, QObject* parent)
    : QObject(parent)
    , m_panel(panel)
    , m_positionStore(positionStore)
    , m_settingsStore(settingsStore)
    , m_layout(layout)
    , m_screens(std::move(screens))
{
}

void FloatingPanelController::start()
{
    m_anchoredTopLeft
        = placement::initialTopLeft(m_positionStore.load(), m_panel.frame().size(), m_screens());
    pinToAnchor();
    updateMaxQueueHeight();
}

void FloatingPanelController::follow(SystemEvents& events)
{
    connect(&events, &SystemEvents::willSleep, this, [this] { pause("willSleep"); });
    connect(&events, &SystemEvents::screenLocked, this, [this] { pause("screenLock"); });
    connect(&events, &SystemEvents::didWake, this, [this] { resume("wake"); });
    connect(&events, &SystemEvents::screenUnlocked, this, [this] { resume("unlock"); });
}

std::optional<placement::ScreenInfo> FloatingPanelController::panelScreen() const
{
    return placement::screenForDisplayID(m_panel.screenName(), m_screens());
}

void FloatingPanelController::pinToAnchor()
{
    const FlagGuard guard(m_isApplyingProgrammaticChange);
    m_panel.setFrame(QRectF(m_anchoredTopLeft, m_panel.frame().size()));
}

// The width alone: the content sets it, while a window manager may impose another height.
bool FloatingPanelController::widthDiffersFromContent() const
{
    const double preferred = m_panel.preferredSize().width();
    return preferred > 0 && std::abs(m_panel.frame().width() - preferred) > kSizeTolerance;
}

// One geometry change, so the panel never shows at its new size in the old place.
void FloatingPanelController::fitToContent()
{
    const QSizeF preferred = m_panel.preferredSize();
    if (preferred.isEmpty())
        return;
    const FlagGuard guard(m_isApplyingProgrammaticChange);
    // Mid-drag the panel stays under the pointer.
    m_panel.setFrame(
        QRectF(m_dragStart ? m_panel.frame().topLeft() : m_anchoredTopLeft, preferred));
}

void FloatingPanelController::updateMaxQueueHeight()
{
    if (const auto screen = panelScreen())
        m_layout.setMaxQueueHeight(
            placement::maxQueueHeight(m_anchoredTopLeft.y(), screen->available));
}

void FloatingPanelController::beginDrag()
{
    m_dragStart = m_panel.frame().topLeft();
}

// Snapping when the drag ends, not on its way: the pointer passes through the band near the top
// on most drags, and where the panel stops must not depend on which way the last motion went.
void FloatingPanelController::endDrag(QPointF topLeft)
{
    const std::optional<QPointF> start = std::exchange(m_dragStart, std::nullopt);
    // A click is not a drag; a move while the system sleeps or is locked is not the user's.
    if (!start || topLeft == *start || m_systemEventInProgress)
        return;
    QRectF frame(topLeft, m_panel.frame().size());
    if (const auto screen = panelScreen()) {
        if (m_settingsStore.snapToMenuBar())
            frame.moveTopLeft(placement::snapToMenuBar(frame, screen->available).value_or(topLeft));
        // Never above the work area, snapping or not.
        frame = placement::constrainFrame(frame, 0, screen->available);
    }
    m_anchoredTopLeft = frame.topLeft();
    pinToAnchor();
    m_positionStore.save(m_anchoredTopLeft, m_panel.screenName());
    updateMaxQueueHeight();
}

void FloatingPanelController::panelMoved()
{
    if (m_isApplyingProgrammaticChange || m_systemEventInProgress || m_dragStart)
        return;
    if (widthDiffersFromContent())
        fitToContent();
}

void FloatingPanelController::panelResized()
{
    if (m_isApplyingProgrammaticChange)
        return;
    if (widthDiffersFromContent()) {
        fitToContent();
        return;
    }
    // The top edge stays put. A height the window manager imposes is kept: asking for the
    // content's again would only start a round of requests and refusals.
    if (!m_dragStart && m_panel.frame().topLeft() != m_anchoredTopLeft)
        pinToAnchor();
}

void FloatingPanelController::screensChanged()
{
    const auto screen = panelScreen();
    if (!screen)
        return;
    m_anchoredTopLeft
        = placement::clampTopLeft(m_anchoredTopLeft, m_panel.frame().size(), screen->available);
    pinToAnchor();
    updateMaxQueueHeight();
}

void FloatingPanelController::pause(const char* reason)
{
    if (!m_systemEventInProgress) {
        m_prePauseAnchoredTopLeft = m_anchoredTopLeft;
        qCInfo(lcApp, "System pause: %s (snapshotted anchored=%ld)", reason,
            static_cast<long>(m_anchoredTopLeft.y()));
    }
    m_systemEventInProgress = true;
}

void FloatingPanelController::resume(const char* reason)
{
    const double before = m_panel.frame().top();
    const bool snapshotUsed = m_prePauseAnchoredTopLeft.has_value();
    if (snapshotUsed)
        m_anchoredTopLeft = *std::exchange(m_prePauseAnchoredTopLeft, std::nullopt);
    m_systemEventInProgress = false;
    qCInfo(lcApp, "System resume: %s (panel.maxY=%ld anchored=%ld snapshotUsed=%s)", reason,
        static_cast<long>(before), static_cast<long>(m_anchoredTopLeft.y()),
        snapshotUsed ? "true" : "false");
    if (const auto screen = panelScreen()) {
        m_anchoredTopLeft
            = placement::clampTopLeft(m_anchoredTopLeft, m_panel.frame().size(), screen->available);
    }
    pinToAnchor();
    updateMaxQueueHeight();
    const double after = m_panel.frame().top();
    if (std::abs(after - before) > kDriftTolerance) {
        qCInfo(lcApp, "Restored panel position on %s (drifted by %ldpx)", reason,
            static_cast<long>(std::abs(after - before)));
        m_positionStore.save(m_anchoredTopLeft, m_panel.screenName());
    }
}

void FloatingPanelController::windowActivated(QWidget* window)
{
    if (!window || window != m_settingsWindow || m_settingsWindowMovedThisSession)
        return;
    m_settingsWindowMovedThisSession = true;
    const bool panelStayed = m_panelPositionAtLastSettingsClose
        && std::abs(m_anchoredTopLeft.x() - m_panelPositionAtLastSettingsClose->x()) < 1.0
        && std::abs(m_anchoredTopLeft.y() - m_panelPositionAtLastSettingsClose->y()) < 1.0;
    if (m_rememberedSettingsFrame && panelStayed
        && placement::isFrameOnAnyScreen(*m_rememberedSettingsFrame, m_screens())) {
        window->move(m_rememberedSettingsFrame->topLeft());
        return;
    }
    placeSettingsWindow(window);
}

void FloatingPanelController::windowClosing(QWidget* window)
{
    if (!window || window != m_settingsWindow)
        return;
    m_rememberedSettingsFrame = window->frameGeometry();
    m_panelPositionAtLastSettingsClose = m_anchoredTopLeft;
    m_settingsWindowMovedThisSession = false;
}

void FloatingPanelController::placeSettingsWindow(QWidget* window)
{
    const auto screen = panelScreen();
    if (!screen)
        return;
    const QPointF origin = placement::settingsWindowOrigin(
        m_panel.frame(), window->frameGeometry().size().toSizeF(), screen->available);
    window->move(origin.toPoint());
}

} // namespace halyard
