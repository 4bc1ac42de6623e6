// What the program asks of the window manager and the display, decided without either.
#include "queue/alertstore.h"
#include "ui/common/activation.h"
#include "ui/panel/displayplatform.h"
#include "ui/panel/floatingpanel.h"
#include "ui/panel/panelwindowtype.h"
#include "ui/queue/alertrow.h"
#include "ui/queue/panelactions.h"

#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace halyard {
namespace {

TEST(PanelWindowType, DockEverywhereButWhereDocksBecomeBars)
{
    const PanelWindowType dock { "_NET_WM_WINDOW_TYPE_DOCK",
        { "_NET_WM_STATE_STICKY", "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER" } };
    const PanelWindowType floating { "_NET_WM_WINDOW_TYPE_UTILITY",
        { "_NET_WM_STATE_ABOVE", "_NET_WM_STATE_STICKY", "_NET_WM_STATE_SKIP_TASKBAR",
            "_NET_WM_STATE_SKIP_PAGER" } };
    const std::pair<QString, PanelWindowType> cases[] = {
        { u"i3"_s, floating },
        { u"I3 "_s, floating },
        { u"GNOME Shell"_s, dock },
        { u"KWin"_s, dock },
        { u"Openbox"_s, dock },
        { u"i3lock"_s, dock },
        { QString(), dock },
    };
    for (const auto& [windowManager, expected] : cases)
        EXPECT_EQ(panelWindowType(windowManager), expected) << qUtf8Printable(windowManager);
}

TEST(Activation, TheRequestComesFromAPagerAtTheUsersTime)
{
    const xcb_client_message_event_t event = activation::activeWindowRequest(0x2a00007, 301, 5550);
    EXPECT_EQ(event.response_type, XCB_CLIENT_MESSAGE);
    EXPECT_EQ(event.format, 32);
    EXPECT_EQ(event.window, 0x2a00007u);
    EXPECT_EQ(event.type, 301u);
    EXPECT_EQ(event.data.data32[0], 2u);
    EXPECT_EQ(event.data.data32[1], 5550u);
    EXPECT_EQ(event.data.data32[2], uint32_t(XCB_WINDOW_NONE));

    EXPECT_EQ(activation::startupTime(u"launcher-12-host-halyard-0_TIME81234"_s), 81234u);
    EXPECT_EQ(activation::startupTime(u"launcher-12-host_TIMEx"_s), 0u);
    EXPECT_EQ(activation::startupTime(QString()), 0u);
}

TEST(DisplayPlatform, WaylandWithoutItsPluginOrAnXServerSaysWhatToInstall)
{
    QTemporaryDir withPlugin;
    QTemporaryDir withoutPlugin;
    for (const QString& plugin : { withPlugin.filePath(u"platforms/libqwayland-generic.so"_s),
             withoutPlugin.filePath(u"platforms/libqxcb.so"_s) }) {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(plugin).path()));
        ASSERT_TRUE(QFile(plugin).open(QIODevice::WriteOnly));
    }

    enum Outcome { asIs, xwayland, nativeWayland, installWayland, noDisplay };
    // What the session offers, whether the Wayland plugin is there, what becomes of it.
    const std::tuple<DisplaySituation, bool, Outcome> cases[] = {
        { { .platformChosen = true, .wayland = true }, false, asIs },
        { { .x11 = true }, false, asIs },
        { { .wayland = true, .x11 = true }, false, xwayland },
        { { .wayland = true }, true, nativeWayland },
        { { .wayland = true }, false, installWayland },
        { {}, true, noDisplay },
    };
    for (const auto& [situation, plugin, expected] : cases) {
        SCOPED_TRACE(int(expected));
        const auto choice
            = decideDisplayPlatform(situation, plugin ? withPlugin.path() : withoutPlugin.path());
        switch (expected) {
        case asIs:
        case xwayland:
        case nativeWayland:
            ASSERT_TRUE(choice.has_value());
            EXPECT_EQ(choice->useXcb, expected == xwayland);
            EXPECT_EQ(choice->note.isEmpty(), expected == asIs);
            break;
        case installWayland:
            ASSERT_FALSE(choice.has_value());
            EXPECT_EQ(choice.error().exitStatus, 2);
            EXPECT_TRUE(QString::fromUtf8(choice.error().message).contains(u"qt6-wayland"_s));
            break;
        case noDisplay:
            ASSERT_FALSE(choice.has_value());
            EXPECT_EQ(choice.error().exitStatus, 1);
            break;
        }
    }
}

// Both entries are single acks, one per alert; more than five at once wait for a yes.
TEST(PanelMenu, AcknowledgeAllAcksAlertByAlertAndAsksAboveFive)
{
    struct Case {
        QString channels; // one alert per letter, in that channel
        bool overRow, agree; // a click on the first alert's row; the answer to the question
        QString entry, acked;
        qsizetype asked; // 0: no question
    } const cases[] = {
        { u"aaabb"_s, false, false, u"Acknowledge All (5)"_s, u"aaabb"_s, 0 },
        { u"aaaabb"_s, false, false, u"Acknowledge All (6)"_s, {}, 6 },
        { u"aaaabb"_s, false, true, u"Acknowledge All (6)"_s, u"aaaabb"_s, 6 },
        { u"baaaab"_s, true, false, u"Acknowledge All in #b"_s, u"bb"_s, 0 },
        { u"aaaaaab"_s, true, true, u"Acknowledge All in #a"_s, u"aaaaaa"_s, 6 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(qUtf8Printable(c.channels));
        AlertStore alerts;
        for (qsizetype i = 0; i < c.channels.size(); ++i) {
            const QString channel = c.channels.sliced(i, 1), ts = u"1.%1"_s.arg(i);
            alerts.enqueue({ Alert::makeId(channel, ts), channel, ts, {}, u"t"_s, 0, {} });
        }
        const Alert first = alerts.alerts().first();
        auto* row = new AlertRow;
        row->setContent({ first, u'#' + first.channelId, {}, {}, {}, AgeStage::fresh, 1 });
        QString acked;
        qsizetype asked = 0;
        PanelActions actions;
        QObject::connect(&actions, &PanelActions::acknowledgeRequested, &actions,
            [&](const Alert& alert, AckCause cause) {
                acked += cause == AckCause::acknowledgeAll ? alert.channelId : u"?"_s;
                alerts.acknowledge(alert);
            });
        FloatingPanel window(row, false);
        window.show();
        window.setActions(&actions);
        window.setQueueActions({ [&] { return alerts.alerts(); },
            [&](qsizetype count, const QString&) { return asked = count, c.agree; } });
        QMenu menu;
        window.fillContextMenu(menu, c.overRow ? row->geometry().center() : QPoint(0, 0));
        const auto entries = menu.actions();
        const auto entry = std::ranges::find(entries, c.entry, &QAction::text);
        ASSERT_NE(entry, entries.end());
        (*entry)->trigger();
        EXPECT_EQ(asked, c.asked);
        EXPECT_EQ(acked, c.acked);
    }
}

} // namespace
} // namespace halyard
