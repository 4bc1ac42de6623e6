#include "common/fakekeychain.h"
#include "halyard-sim/fakeslack.h"
#include "settings/preferencestore.h"
#include "settings/settingsstore.h"
#include "ui/settingswindow.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace halyard {
namespace {

using test::FakeReply;
using Tab = SettingsWindow::Tab;

// The window with a fake credential store, the fake Slack behind Test Token, and a Slack
// service reduced to counters; its disconnect sets the state as the real one does.
class SettingsWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fake.listen());
        SlackControls slack;
        slack.disconnect = [this] {
            ++disconnects;
            settings.setConnectionState(ConnectionState::disconnected());
        };
        slack.connect = [this] { ++connects; };
        slack.testToken = SlackControls::webApiTokenTester(&network, fake.apiUrl());
        ProgramInfo program;
        program.shortVersion = u"1.4"_s;
        program.buildNumber = u"1.4"_s;
        program.autostartFolder = autostartFolder();
        program.executable = u"/opt/Halyard Beta/halyard"_s;
        window = std::make_unique<SettingsWindow>(settings, std::move(slack), std::move(program));
    }

    template <typename T = QWidget> T* find(const QString& name) const
    {
        T* widget = window->findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << qUtf8Printable(name);
        return widget;
    }
    QString text(const QString& label) const { return find<QLabel>(label)->text(); }
    bool enabled(const QString& name) const { return find(name)->isEnabled(); }
    bool shown(const QString& name) const { return !find(name)->isHidden(); }
    void click(const QString& name) const { find<QAbstractButton>(name)->click(); }
    void type(const QString& field, const QString& text) const
    {
        // As the user does it, so the edit signals fire.
        QLineEdit* edit = find<QLineEdit>(field);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
    }
    QString result() const { return shown(u"resultLabel"_s) ? text(u"resultLabel"_s) : QString(); }
    bool resultBecomes(const QString& expected) const
    {
        return QTest::qWaitFor([&] { return result() == expected; }, 5000);
    }
    void storeTokens()
    {
        keychain.items.insert(u"slack.botToken"_s, fake.workspace().botToken);
        keychain.items.insert(u"slack.appToken"_s, fake.workspace().appToken);
        ASSERT_TRUE(QCoro::waitFor(settings.loadTokens()));
    }
    QString autostartFolder() const { return folder.filePath(u"autostart"_s); }

    QTemporaryDir folder;
    test::FakeKeychain keychain;
    PreferenceStore preferences { folder.filePath(u"preferences"_s) };
    SettingsStore settings { keychain, preferences };
    test::FakeSlack fake;
    QNetworkAccessManager network;
    int connects = 0;
    int disconnects = 0;
    std::unique_ptr<SettingsWindow> window;
};

TEST_F(SettingsWindowTest, ButtonsFollowTheFieldsAndWarningsFollowTheText)
{
    struct Case {
        QString bot;
        QString app;
        bool save;
        bool test;
        bool botWarning;
    };
    const Case cases[] = {
        { {}, {}, false, false, false },
        { u"xoxb-1"_s, {}, false, true, false },
        { {}, u"xapp-1"_s, false, false, false },
        { u"   "_s, u" "_s, true, true, false },
        { u"xapp-1"_s, u"xapp-1"_s, true, true, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(qPrintable(c.bot + u" / "_s + c.app));
        type(u"botTokenField"_s, c.bot);
        type(u"appTokenField"_s, c.app);
        EXPECT_EQ(enabled(u"saveButton"_s), c.save);
        EXPECT_EQ(enabled(u"testButton"_s), c.test);
        EXPECT_EQ(shown(u"botTokenWarningIcon"_s), c.botWarning);
        EXPECT_EQ(
            text(u"botTokenNote"_s).startsWith(u"That's the App-Level Token"_s), c.botWarning);
        EXPECT_FALSE(enabled(u"clearButton"_s)) << "nothing is stored";
    }
}

TEST_F(SettingsWindowTest, SaveStoresTrimmedTokensAndReconnects)
{
    struct Case {
        QString bot;
        QString app;
        QString stored;
    };
    const Case cases[] = {
        { u"xoxb-1\n"_s, u" xapp-1 "_s, u"xoxb-1"_s },
        { u"  "_s, u" "_s, {} },
    };
    for (const Case& c : cases) {
        find<QLineEdit>(u"botTokenField"_s)->setText(c.bot);
        find<QLineEdit>(u"appTokenField"_s)->setText(c.app);
        click(u"saveButton"_s);
        ASSERT_TRUE(QTest::qWaitFor([&] { return connects > &c - cases; }, 2000));
        EXPECT_EQ(keychain.items.value(u"slack.botToken"_s), c.stored);
        EXPECT_EQ(find<QLineEdit>(u"botTokenField"_s)->text(), c.stored);
        EXPECT_EQ(find<QLineEdit>(u"appTokenField"_s)->text(), keychain.items[u"slack.appToken"_s]);
        EXPECT_EQ(disconnects, connects) << "every save restarts the connection";
        EXPECT_TRUE(result().isEmpty());
        EXPECT_TRUE(enabled(u"clearButton"_s));
    }
}

TEST_F(SettingsWindowTest, FailedSaveLeavesTheConnectionAlone)
{
    keychain.failingWrites.insert(u"slack.appToken"_s);
    type(u"botTokenField"_s, u"xoxb-1"_s);
    type(u"appTokenField"_s, u"xapp-1"_s);
    click(u"saveButton"_s);
    EXPECT_TRUE(
        resultBecomes(u"Save failed: Keychain error: -25308 — "_s + KeychainError::serviceHint()));
    EXPECT_EQ(connects + disconnects, 0);
    EXPECT_FALSE(enabled(u"clearButton"_s));
}

TEST_F(SettingsWindowTest, TestTokenShowsWhatSlackSaysAndStoresNothing)
{
    const auto& workspace = fake.workspace();
    struct Case {
        std::optional<QString> slackError;
        QString expected;
    };
    const Case cases[] = {
        { {}, u"✓ "_s + workspace.teamName + u" as @"_s + workspace.botUserName },
        { u"invalid_auth"_s, u"✗ invalid_auth"_s },
    };
    type(u"botTokenField"_s, workspace.botToken);
    for (const Case& c : cases) {
        if (c.slackError)
            fake.script(u"auth.test"_s, FakeReply::slackError(*c.slackError));
        click(u"testButton"_s);
        EXPECT_EQ(find<QAbstractButton>(u"testButton"_s)->text(), u"Testing…"_s);
        EXPECT_FALSE(enabled(u"testButton"_s)) << "one test at a time";
        EXPECT_TRUE(resultBecomes(c.expected));
        EXPECT_TRUE(enabled(u"testButton"_s));
    }
    EXPECT_EQ(fake.requests(u"auth.test"_s).size(), 2);
    EXPECT_TRUE(keychain.calls.isEmpty());
    EXPECT_EQ(connects + disconnects, 0);
}

TEST_F(SettingsWindowTest, WindowClosedDuringATestIsLeftAlone)
{
    fake.script(u"auth.test"_s, FakeReply::serve().after(100ms));
    type(u"botTokenField"_s, u"xoxb-1"_s);
    click(u"testButton"_s);
    window.reset();
    QTest::qWait(300);
    EXPECT_EQ(fake.requests(u"auth.test"_s).size(), 1);
}

TEST_F(SettingsWindowTest, ClearForgetsTokensAndTheStatusFollowsTheService)
{
    storeTokens();
    settings.setConnectionState(ConnectionState::connected());
    settings.setTeamName(u"Acme"_s);
    settings.setBotUserName(u"pager"_s);
    window->showTab(Tab::authentication);
    EXPECT_EQ(find<QLineEdit>(u"botTokenField"_s)->text(), fake.workspace().botToken)
        << "the fields are filled from the store when the tab appears";
    EXPECT_EQ(text(u"connectionStatus"_s), u"Connected"_s);
    EXPECT_EQ(text(u"connectionWorkspace"_s), u"· Acme as @pager"_s);

    click(u"clearButton"_s);
    EXPECT_TRUE(resultBecomes(u"Tokens cleared."_s));
    EXPECT_TRUE(keychain.items.isEmpty());
    EXPECT_EQ(disconnects, 1);
    EXPECT_TRUE(find<QLineEdit>(u"botTokenField"_s)->text().isEmpty());
    EXPECT_EQ(text(u"connectionStatus"_s), u"Disconnected"_s);
    EXPECT_FALSE(shown(u"connectionWorkspace"_s));
    EXPECT_FALSE(enabled(u"clearButton"_s));
}

TEST_F(SettingsWindowTest, SlidersStopAtTheirNeighboursAndResetRestoresDefaults)
{
    struct Case {
        QString slider;
        int minutes;
        int fresh, aging, stale;
    };
    const Case cases[] = {
        { u"freshSlider"_s, 20, 14, 15, 30 },
        { u"staleSlider"_s, 1, 5, 15, 16 },
        { u"agingSlider"_s, 1, 5, 6, 30 },
        { u"agingSlider"_s, 100, 5, 29, 30 },
    };
    const auto expectShown = [&](int fresh, int aging, int stale) {
        const std::pair<QString, int> rows[]
            = { { u"fresh"_s, fresh }, { u"aging"_s, aging }, { u"stale"_s, stale } };
        for (const auto& [row, minutes] : rows) {
            EXPECT_EQ(text(row + u"Value"_s), u"%1 min"_s.arg(minutes)) << qPrintable(row);
            EXPECT_EQ(find<QSlider>(row + u"Slider"_s)->value(), minutes) << qPrintable(row);
        }
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(qPrintable(c.slider));
        find<QSlider>(c.slider)->setValue(c.minutes);
        expectShown(c.fresh, c.aging, c.stale);
        EXPECT_EQ(settings.agingPolicy(),
            (AgingPolicy { c.fresh * 60.0, c.aging * 60.0, c.stale * 60.0 }));
        click(u"resetAgingButton"_s);
        expectShown(5, 15, 30);
    }
}

TEST_F(SettingsWindowTest, PrefixWritesThroughAndTheExampleFollowsIt)
{
    const auto example = [](const QString& prefix) -> QString {
        return u"Example: \""_s + prefix
            + u" refill your water bottle\" in a monitored Slack channel becomes an alert "
              u"reading \"refill your water bottle\"."_s;
    };
    EXPECT_EQ(text(u"prefixExample"_s), example(u"halyard:"_s));
    for (const QString& prefix : { u"ops!"_s, QString() }) {
        type(u"triggerPrefixField"_s, prefix);
        EXPECT_EQ(settings.triggerPrefix(), prefix);
        EXPECT_EQ(text(u"prefixExample"_s), example(prefix));
    }
    EXPECT_TRUE(text(u"prefixExample"_s).startsWith(u"Example: \" refill"_s));
}

TEST_F(SettingsWindowTest, AutostartToggleWritesAndRemovesTheLoginEntry)
{
    const QString entry = autostartFolder() + u"/com.corvane.Halyard.desktop"_s;
    auto* toggle = find<QCheckBox>(u"autostartToggle"_s);
    ASSERT_FALSE(toggle->isChecked());
    toggle->click();
    QFile file(entry);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString contents = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(contents.contains(u"\nExec=\"/opt/Halyard Beta/halyard\"\n"_s))
        << qPrintable(contents);
    EXPECT_TRUE(contents.contains(u"\nX-GNOME-Autostart-enabled=true\n"_s));
    toggle->click();
    EXPECT_FALSE(QFile::exists(entry));

    // A file where the folder should be: the write fails, says so, and the toggle goes back.
    ASSERT_TRUE(QDir(autostartFolder()).removeRecursively());
    QFile blocker(autostartFolder());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    toggle->click();
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_TRUE(shown(u"autostartError"_s));
    EXPECT_TRUE(text(u"autostartError"_s).contains(autostartFolder()));
}

TEST(SettingsVersion, BuildNumberShowsOnlyWhenItAddsSomething)
{
    struct Case {
        QString version, build, expected;
    };
    const Case cases[] = {
        { u"1.4"_s, u"1.4"_s, u"1.4"_s },
        { u"1.4"_s, u"212"_s, u"1.4 (212)"_s },
        { u"1.4"_s, {}, u"1.4"_s },
        { {}, u"212"_s, u"? (212)"_s },
        { {}, {}, u"?"_s },
    };
    for (const Case& c : cases)
        EXPECT_EQ(versionText(c.version, c.build), c.expected) << qPrintable(c.version);
}

TEST_F(SettingsWindowTest, AboutShowsTheVersionAndAsksForUpdates)
{
    EXPECT_EQ(text(u"versionLabel"_s), u"v1.4"_s);
    int asked = 0;
    QObject::connect(window.get(), &SettingsWindow::checkForUpdatesRequested, [&] { ++asked; });
    click(u"checkForUpdatesButton"_s);
    EXPECT_EQ(asked, 1);

    // A build without an update feed leaves updates to the package manager.
    ProgramInfo packaged;
    packaged.checksForUpdates = false;
    SettingsWindow other(settings, SlackControls {}, packaged);
    EXPECT_EQ(other.findChild<QPushButton*>(u"checkForUpdatesButton"_s), nullptr);
    EXPECT_EQ(other.findChild<QLabel*>(u"updatesNote"_s)->text(),
        u"Updates come with your package manager."_s);
}

} // namespace
} // namespace halyard
