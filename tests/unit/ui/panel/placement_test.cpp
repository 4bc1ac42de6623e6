// Where the panel and the settings window go, without a window system, and how the controller
// keeps the panel in place across drags, content changes, sleep and screen locks.
#include "common/fakekeychain.h"
#include "common/logcapture.h"
#include "settings/preferencestore.h"
#include "settings/settingsstore.h"
#include "slack/systemevents.h"
#include "ui/common/panellayout.h"
#include "ui/panel/floatingpanelcontroller.h"
#include "ui/panel/panelpositionstore.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace halyard::test {
namespace {

using namespace placement;

// A 1920×1080 primary screen whose top 32 px belong to the desktop's top bar, and a second
// screen to its right.
const ScreenInfo kPrimary { u"DP-1"_s, { 0, 0, 1920, 1080 }, { 0, 32, 1920, 1048 } };
const ScreenInfo kSecond { u"HDMI-1"_s, { 1920, 0, 1280, 1024 }, { 1920, 0, 1280, 1024 } };
const QList<ScreenInfo> kScreens { kPrimary, kSecond };
const QSizeF kPanel { 320, 200 };

TEST(PlacementTest, StartingCornerIsSavedAndClampedOrTheTopLeftOfTheWorkArea)
{
    EXPECT_EQ(initialTopLeft(std::nullopt, kPanel, kScreens), QPointF(8, 32));
    EXPECT_EQ(initialTopLeft(std::nullopt, kPanel, {}), QPointF(0, 0));
    const std::pair<SavedPosition, QPointF> cases[] = {
        { { { 2000, 100 }, u"HDMI-1"_s }, { 2000, 100 } },
        // A screen that is gone: the primary one, clamped into its work area.
        { { { 2000, 100 }, u"DP-9"_s }, { 1600, 100 } },
        { { { 100, 5 }, std::nullopt }, { 100, 32 } },
        { { { -50, 2000 }, u"DP-1"_s }, { 0, 880 } },
    };
    for (const auto& [saved, expected] : cases)
        EXPECT_EQ(initialTopLeft(saved, kPanel, kScreens), expected) << expected;
    // Too big to fit: the left and top edges win.
    EXPECT_EQ(clampTopLeft({ 500, 500 }, { 3000, 2000 }, kPrimary.available), QPointF(0, 32));
}

TEST(PlacementTest, SnapQueueHeightFrameAndScreens)
{
    // A drag ending within fifty pixels of the top ends flush.
    const QRectF& work = kPrimary.available;
    EXPECT_EQ(snapToMenuBar({ { 100, 32 + 49 }, kPanel }, work), QPointF(100, 32));
    EXPECT_EQ(snapToMenuBar({ { 100, 32 + 50 }, kPanel }, work), std::nullopt);
    EXPECT_EQ(snapToMenuBar({ { 100, 10 }, kPanel }, work), QPointF(100, 32));
    EXPECT_EQ(maxQueueHeight(32, kPrimary.available), 1080 - 32 - 28 - 8);
    EXPECT_EQ(maxQueueHeight(1000, kPrimary.available), kMinQueueHeight);
    // The content decides the width; the top never rises above the work area.
    EXPECT_EQ(
        constrainFrame({ 10, 0, 400, 100 }, 320, kPrimary.available), QRectF(10, 32, 320, 100));
    EXPECT_EQ(constrainFrame({ 10, 900, 320.5, 400 }, 320, kPrimary.available),
        QRectF(10, 900, 320.5, 400));
    EXPECT_TRUE(isFrameOnAnyScreen({ 3000, 900, 200, 100 }, kScreens));
    EXPECT_FALSE(isFrameOnAnyScreen({ 3150, 900, 200, 100 }, kScreens));
}

TEST(PlacementTest, SettingsWindowGoesBesideThePanelElseBelowOrAbove)
{
    const QRectF wide = kPrimary.available;
    const QRectF narrow { 0, 32, 1000, 1048 };
    // The panel, the work area, where the window goes.
    const std::tuple<QRectF, QRectF, QPointF> cases[] = {
        // Room on the right: 8 px away, top edges aligned.
        { { 8, 32, 320, 200 }, wide, { 336, 32 } },
        { { 1500, 300, 320, 200 }, wide, { 892, 300 } },
        // Neither side fits: below when there is as much room there as above…
        { { 200, 32, 320, 200 }, narrow, { 200, 240 } },
        { { 605, 32, 320, 200 }, narrow, { 400, 240 } },
        // …above otherwise, pulled left to stay inside.
        { { 500, 800, 320, 200 }, narrow, { 400, 392 } },
    };
    for (const auto& [panel, area, expected] : cases)
        EXPECT_EQ(settingsWindowOrigin(panel, { 600, 400 }, area), expected) << panel;
}

class FakePanel : public PanelWindow {
public:
    QRectF frame() const override { return geometry; }
    QSizeF preferredSize() const override { return preferred; }
    void setFrame(const QRectF& frame) override
    {
        geometry = frame;
        if (controller)
            controller->panelMoved(); // the window system's synchronous echo
    }
    std::optional<QString> screenName() const override { return u"DP-1"_s; }

    // The system (or the user, mid-drag) moves the panel.
    void moveTo(QPointF topLeft)
    {
        geometry.moveTopLeft(topLeft);
        controller->panelMoved();
    }

    QRectF geometry { 0, 0, 320, 36 };
    QSizeF preferred { 320, 36 };
    FloatingPanelController* controller = nullptr;
};

class PanelControllerTest : public ::testing::Test {
protected:
    PanelControllerTest()
    {
        panel.controller = &controller;
        controller.follow(events);
    }

    // The user drags the panel to `topLeft` and lets go there.
    void drag(QPointF topLeft)
    {
        controller.beginDrag();
        panel.moveTo(topLeft);
        controller.endDrag(topLeft);
    }

    QTemporaryDir dir;
    PreferenceStore preferences { dir.path() };
    FakeKeychain keychain;
    SettingsStore settings { keychain, preferences };
    PanelPositionStore positions { preferences };
    PanelLayout layout;
    SystemEvents events;
    FakePanel panel;
    FloatingPanelController controller { panel, positions, settings, layout,
        [] { return kScreens; } };
    LogCapture log;
};

TEST_F(PanelControllerTest, DragsAreSavedSnappedOrNotAndTheTopEdgeStaysPut)
{
    // Restored near the top: a click is no drag; a drag ends flush.
    positions.save({ 400, 60 }, u"DP-1"_s);
    controller.start();
    controller.beginDrag();
    controller.endDrag({ 400, 60 });
    EXPECT_EQ(positions.load()->topLeft, QPointF(400, 60));
    drag({ 400, 70 });
    EXPECT_EQ(panel.geometry.topLeft(), QPointF(400, 32));
    EXPECT_EQ(positions.load()->topLeft, QPointF(400, 32));
    EXPECT_EQ(layout.maxQueueHeight(), 1080 - 32 - 36);

    settings.setSnapToMenuBar(false);
    drag({ 410, 60 });
    EXPECT_EQ(positions.load()->topLeft, QPointF(410, 60));

    // A height the window manager imposes is kept, and drags still count.
    panel.geometry.setHeight(50);
    controller.panelResized();
    controller.panelMoved();
    EXPECT_EQ(panel.geometry, QRectF(410, 60, 320, 50));
    drag({ 420, 70 });
    EXPECT_EQ(positions.load()->topLeft, QPointF(420, 70));

    panel.preferred = { 320, 250 };
    controller.fitToContent();
    EXPECT_EQ(panel.geometry, QRectF(420, 70, 320, 250));

    // A restart puts it back.
    FloatingPanelController again { panel, positions, settings, layout, [] { return kScreens; } };
    panel.controller = &again;
    panel.geometry = { 0, 0, 320, 250 };
    again.start();
    EXPECT_EQ(panel.geometry.topLeft(), QPointF(420, 70));
}

// The update dialog and other windows stay where the window manager puts them.
TEST_F(PanelControllerTest, OnlyTheSettingsWindowIsPlaced)
{
    QWidget settingsWindow;
    QWidget dialog;
    dialog.move(1000, 700);
    controller.setSettingsWindow(&settingsWindow);
    controller.windowActivated(&dialog);
    EXPECT_EQ(dialog.pos(), QPoint(1000, 700));
    // Settings opens beside the panel; after a close, beside where the panel went since.
    controller.start();
    const QPoint panelAtStart = panel.geometry.topLeft().toPoint();
    controller.windowActivated(&settingsWindow);
    const QPoint first = settingsWindow.pos();
    controller.windowClosing(&settingsWindow);
    drag({ 400, 300 });
    controller.windowActivated(&settingsWindow);
    EXPECT_EQ(settingsWindow.pos() - first, QPoint(400, 300) - panelAtStart);
}

TEST_F(PanelControllerTest, SleepAfterALockKeepsTheFirstSnapshotAndSystemMovesAreNotSaved)
{
    controller.start();
    drag({ 400, 300 });
    events.screenLocked();
    panel.moveTo({ 400, 200 }); // the system shuffles windows while locked
    events.willSleep();
    panel.moveTo({ 100, 700 });
    EXPECT_EQ(positions.load()->topLeft, QPointF(400, 300));
    events.didWake();
    EXPECT_EQ(panel.geometry.topLeft(), QPointF(400, 300));
    EXPECT_EQ(log.messages(u"app"_s),
        QStringList({ u"System pause: screenLock (snapshotted anchored=300)"_s,
            u"System resume: wake (panel.maxY=700 anchored=300 snapshotUsed=true)"_s,
            u"Restored panel position on wake (drifted by 400px)"_s }));
    events.screenUnlocked();
    EXPECT_TRUE(log.contains(
        u"app"_s, u"System resume: unlock (panel.maxY=300 anchored=300 snapshotUsed=false)"_s));
    EXPECT_EQ(log.messagesStartingWith(u"app"_s, u"Restored"_s).size(), 1);
    drag({ 500, 300 });
    EXPECT_EQ(positions.load()->topLeft, QPointF(500, 300));
}

TEST(PanelPositionStoreTest, AnythingButTheRecordCountsAsNoPosition)
{
    QTemporaryDir dir;
    PreferenceStore preferences(dir.path());
    PanelPositionStore store(preferences);
    const QString key = u"panel.position.v1"_s;
    for (const QByteArray& data : { QByteArray("not json"), QByteArray(R"({"topLeftX":1})"),
             QByteArray(R"({"topLeftX":1,"topLeftY":"2"})"),
             QByteArray(R"({"topLeftX":1,"topLeftY":2,"displayID":7})") }) {
        preferences.setData(key, data);
        EXPECT_EQ(store.load(), std::nullopt) << data.constData();
    }
    preferences.setData(key, R"({"topLeftX":1.5,"topLeftY":2,"displayID":null})");
    EXPECT_EQ(store.load()->topLeft, QPointF(1.5, 2));
}

} // namespace
} // namespace halyard::test
