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
    m_lastPanelTop = m_panel.frame().top();
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

bool FloatingPanelController::sizeDiffersFromContent() const
{
    const QSizeF preferred = m_panel.preferredSize();
    const QSizeF size = m_panel.frame().size();
    return !preferred.isEmpty()
        && (std::abs(size.width() - preferred.width()) > kSizeTolerance
            || std::abs(size.height() - preferred.height()) > kSizeTolerance);
}

// One geometry change, so the panel never shows at its new size in the old place.
void FloatingPanelController::fitToContent()
{
    const QSizeF preferred = m_panel.preferredSize();
    if (preferred.isEmpty())
        return;
    const FlagGuard guard(m_isApplyingProgrammaticChange);
    m_panel.setFrame(QRectF(m_anchoredTopLeft, preferred));
}

void FloatingPanelController::updateMaxQueueHeight()
{
    if (const auto screen = panelScreen())
        m_layout.setMaxQueueHeight(
            placement::maxQueueHeight(m_anchoredTopLeft.y(), screen->available));
}

void FloatingPanelController::panelMoved()
{
    if (m_isApplyingProgrammaticChange || m_systemEventInProgress)
        return;
    if (sizeDiffersFromContent()) {
        fitToContent();
        return;
    }
    if (const auto screen = panelScreen()) {
        const QRectF frame = m_panel.frame();
        std::optional<QPointF> corrected;
        if (m_settingsStore.snapToMenuBar())
            corrected = placement::snapToMenuBar(frame, screen->available, m_lastPanelTop);
        // Never above the work area, snapping or not.
        const QRectF constrained = placement::constrainFrame(
            QRectF(corrected.value_or(frame.topLeft()), frame.size()), 0, screen->available);
        if (constrained.topLeft() != frame.topLeft()) {
            const FlagGuard guard(m_isApplyingProgrammaticChange);
            m_panel.setFrame(constrained);
        }
    }
    const QRectF frame = m_panel.frame();
    m_lastPanelTop = frame.top();
    m_anchoredTopLeft = frame.topLeft();
    m_positionStore.save(m_anchoredTopLeft, m_panel.screenName());
    updateMaxQueueHeight();
}

void FloatingPanelController::panelResized()
{
    if (m_isApplyingProgrammaticChange)
        return;
    if (sizeDiffersFromContent()) {
        fitToContent();
        return;
    }
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
        m_lastPanelTop = after;
        m_positionStore.save(m_anchoredTopLeft, m_panel.screenName());
    }
}

void FloatingPanelController::windowActivated(QWidget* window)
{
    if (!window || !m_settingsWindow)
        return;
    if (window != m_settingsWindow) {
        // A dialog of the settings window opens over its middle.
        const QRect settings = m_settingsWindow->frameGeometry();
        QRect frame = window->frameGeometry();
        frame.moveCenter(settings.center());
        window->move(frame.topLeft());
        return;
    }
    if (m_settingsWindowMovedThisSession)
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
