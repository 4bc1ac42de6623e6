// What the program asks of the window manager and the display, decided without either.
#include "ui/common/activation.h"
#include "ui/panel/displayplatform.h"
#include "ui/panel/panelwindowtype.h"

#include <QFile>
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
    const struct {
        QString windowManager;
        PanelWindowType expected;
    } cases[] = {
        { u"i3"_s, floating },
        { u"I3 "_s, floating },
        { u"GNOME Shell"_s, dock },
        { u"KWin"_s, dock },
        { u"Openbox"_s, dock },
        { u"i3lock"_s, dock },
        { QString(), dock },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(qUtf8Printable(c.windowManager));
        EXPECT_EQ(panelWindowType(c.windowManager), c.expected);
    }
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
    ASSERT_TRUE(QDir(withPlugin.path()).mkpath(u"platforms"_s));
    ASSERT_TRUE(QDir(withoutPlugin.path()).mkpath(u"platforms"_s));
    QFile plugin(withPlugin.filePath(u"platforms/libqwayland-generic.so"_s));
    ASSERT_TRUE(plugin.open(QIODevice::WriteOnly));
    plugin.close();
    QFile other(withoutPlugin.filePath(u"platforms/libqxcb.so"_s));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.close();

    enum Outcome { asIs, xwayland, nativeWayland, installWayland, noDisplay };
    const struct {
        DisplaySituation situation;
        bool plugin;
        Outcome expected;
    } cases[] = {
        { { .platformChosen = true, .wayland = true }, false, asIs },
        { { .x11 = true }, false, asIs },
        { { .wayland = true, .x11 = true }, false, xwayland },
        { { .wayland = true }, true, nativeWayland },
        { { .wayland = true }, false, installWayland },
        { {}, true, noDisplay },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.expected));
        const auto choice = decideDisplayPlatform(
            c.situation, c.plugin ? withPlugin.path() : withoutPlugin.path());
        switch (c.expected) {
        case asIs:
        case xwayland:
        case nativeWayland:
            ASSERT_TRUE(choice.has_value());
            EXPECT_EQ(choice->useXcb, c.expected == xwayland);
            EXPECT_EQ(choice->note.isEmpty(), c.expected == asIs);
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

} // namespace
} // namespace halyard
