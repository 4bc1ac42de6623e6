#include "common/fakekeychain.h"
#include "common/servertext.h"
#include "settings/preferencestore.h"
#include "settings/settingsstore.h"
#include "ui/settings/settingswindow.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCoroSignal>
#include <QFile>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace halyard {
namespace {

using Tab = SettingsWindow::Tab;

const QString kBotToken = u"xoxb-stored"_s;
const QString kAppToken = u"xapp-stored"_s;

// A plain signal for the tester to wait on (QCoro's wait on a private signal such as a timer's
// binds a null reference, which the sanitizers report).
class Gate : public QObject {
    Q_OBJECT
signals:
    void opened();
};

// Test Token's other end: records the tokens it is given and answers each with `answer` once the
// test opens the gate, so a test sees the window while the answer is on its way.
struct FakeTokenTester {
    QStringList tokens;
    TokenTestResult answer;
    Gate gate;
    int answered = 0;
};

QCoro::Task<TokenTestResult> answerOnceOpened(FakeTokenTester* tester, QString token)
{
    tester->tokens.append(token);
    co_await qCoro(&tester->gate, &Gate::opened);
    ++tester->answered;
    co_return tester->answer;
}

// What a label puts on the screen: markup is rendered unless the text is plain.
QString onScreen(const QLabel* label)
{
    const Qt::TextFormat format = label->textFormat();
    if (format == Qt::PlainText || (format == Qt::AutoText && !Qt::mightBeRichText(label->text())))
        return label->text();
    QTextDocument document;
    document.setHtml(label->text());
    return document.toPlainText();
}

// The window with a fake credential store, a fake behind Test Token, and a Slack service reduced
// to counters; its disconnect sets the state as the real one does.
class SettingsWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SlackControls slack;
        slack.disconnect = [this] {
            ++disconnects;
            settings.setConnectionState(ConnectionState::disconnected());
        };
        slack.connect = [this] { ++connects; };
        slack.testToken = [tester = &tester](QString botToken) {
            return answerOnceOpened(tester, std::move(botToken));
        };
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
    // Lets the waiting token test answer.
    bool answerTokenTest()
    {
        const int before = tester.answered;
        QMetaObject::invokeMethod(&tester.gate, &Gate::opened, Qt::QueuedConnection);
        return QTest::qWaitFor([&] { return tester.answered > before; }, 5000);
    }
    void storeTokens()
    {
        keychain.items.insert(u"slack.botToken"_s, kBotToken);
        keychain.items.insert(u"slack.appToken"_s, kAppToken);
        ASSERT_TRUE(QCoro::waitFor(settings.loadTokens()));
    }
    QString autostartFolder() const { return folder.filePath(u"autostart"_s); }

    QTemporaryDir folder;
    test::FakeKeychain keychain;
    PreferenceStore preferences { folder.filePath(u"preferences"_s) };
    SettingsStore settings { keychain, preferences };
    FakeTokenTester tester;
    int connects = 0;
    int disconnects = 0;
    std::unique_ptr<SettingsWindow> window;
};

TEST_F(SettingsWindowTest, ButtonsFollowTheFieldsAndWarningsFollowTheText)
{
    // Bot field, app field, then whether Save and Test are enabled and the bot field warns.
    const std::tuple<QString, QString, bool, bool, bool> cases[] = {
        { {}, {}, false, false, false },
        { u"xoxb-1"_s, {}, false, true, false },
        { {}, u"xapp-1"_s, false, false, false },
        { u"   "_s, u" "_s, true, true, false },
        { u"xapp-1"_s, u"xapp-1"_s, true, true, true },
    };
    for (const auto& [bot, app, save, test, botWarning] : cases) {
        SCOPED_TRACE(qPrintable(bot + u" / "_s + app));
        type(u"botTokenField"_s, bot);
        type(u"appTokenField"_s, app);
        EXPECT_EQ(enabled(u"saveButton"_s), save);
        EXPECT_EQ(enabled(u"testButton"_s), test);
        EXPECT_EQ(shown(u"botTokenWarningIcon"_s), botWarning);
        EXPECT_EQ(text(u"botTokenNote"_s).startsWith(u"That's the App-Level Token"_s), botWarning);
        EXPECT_FALSE(enabled(u"clearButton"_s)) << "nothing is stored";
    }
}

TEST_F(SettingsWindowTest, SaveStoresTrimmedTokensAndReconnectsAndAFailedSaveLeavesItAlone)
{
    keychain.failingWrites.insert(u"slack.appToken"_s);
    type(u"botTokenField"_s, u"xoxb-1"_s);
    type(u"appTokenField"_s, u"xapp-1"_s);
    click(u"saveButton"_s);
    EXPECT_TRUE(resultBecomes(
        u"Save failed: The keyring failed (status -25308) — "_s + KeychainError::serviceHint()));
    EXPECT_EQ(connects + disconnects, 0);
    EXPECT_FALSE(enabled(u"clearButton"_s));
    keychain.failingWrites.clear();

    // Typed bot and app fields, and the bot token stored.
    const std::tuple<QString, QString, QString> cases[] = {
        { u"xoxb-1\n"_s, u" xapp-1 "_s, u"xoxb-1"_s },
        { u"  "_s, u" "_s, {} },
    };
    int saves = 0;
    for (const auto& [bot, app, stored] : cases) {
        find<QLineEdit>(u"botTokenField"_s)->setText(bot);
        find<QLineEdit>(u"appTokenField"_s)->setText(app);
        click(u"saveButton"_s);
        ASSERT_TRUE(QTest::qWaitFor([&] { return connects > saves; }, 2000));
        ++saves;
        EXPECT_EQ(keychain.items.value(u"slack.botToken"_s), stored);
        EXPECT_EQ(find<QLineEdit>(u"botTokenField"_s)->text(), stored);
        EXPECT_EQ(find<QLineEdit>(u"appTokenField"_s)->text(), keychain.items[u"slack.appToken"_s]);
        EXPECT_EQ(disconnects, connects) << "every save restarts the connection";
        EXPECT_TRUE(result().isEmpty());
        EXPECT_TRUE(enabled(u"clearButton"_s));
    }
}

// Tab visits every control of a tab in the order shown, and nothing else, so no stop is
// invisible; each control tells assistive technology its name and what it does.
TEST_F(SettingsWindowTest, TabReachesEveryControlInOrderAndEachIsDescribed)
{
    storeTokens();
    window->showTab(Tab::authentication);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    const std::pair<Tab, QStringList> cases[] = {
        { Tab::authentication,
            { u"botTokenField"_s, u"appTokenField"_s, u"saveButton"_s, u"testButton"_s,
                u"clearButton"_s, u"copyManifestButton"_s } },
        { Tab::general,
            { u"botsOnlyToggle"_s, u"triggerPrefixField"_s, u"notificationsToggle"_s,
                u"overdueRemindersToggle"_s, u"overdueSoundToggle"_s, u"foldRepeatsToggle"_s,
                u"ackBackToggle"_s, u"ackBackEmojiField"_s, u"teamSharedAckToggle"_s,
                u"snapToggle"_s, u"showPanelToggle"_s, u"autostartToggle"_s } },
        { Tab::aging,
            { u"freshSlider"_s, u"agingSlider"_s, u"staleSlider"_s, u"resetAgingButton"_s } },
        { Tab::about, { u"checkForUpdatesButton"_s, u"supportLink"_s } },
    };
    for (const auto& [tab, order] : cases) {
        window->selectTab(tab);
        find(u"settingsTabBar"_s)->setFocus(Qt::TabFocusReason);
        QStringList visited;
        for (qsizetype i = 0; i <= order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* focused = QApplication::focusWidget();
            visited.append(focused->objectName());
            // The tab bar reads as its current tab.
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(focused);
            EXPECT_FALSE(accessible->text(QAccessible::Name).isEmpty()) << visited.size();
            EXPECT_TRUE(focused->objectName() == u"settingsTabBar"_s
                || !accessible->text(QAccessible::Description).isEmpty())
                << visited.size();
        }
        EXPECT_EQ(visited, order + QStringList { u"settingsTabBar"_s });
    }
}

// The window works from the keyboard alone: sections switch with Ctrl+Tab and Ctrl+Page Down or
// Up, Return presses the focused button or else Save & Connect, Escape closes.
TEST_F(SettingsWindowTest, KeysSwitchSectionsReturnSavesAndEscapeCloses)
{
    window->showTab(Tab::authentication);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    type(u"botTokenField"_s, u"xoxb-1"_s);
    type(u"appTokenField"_s, u"xapp-1"_s);
    const auto tabs = find<QTabWidget>(u"settingsTabs"_s);
    const std::pair<Qt::Key, int> steps[] = { { Qt::Key_PageDown, 1 }, { Qt::Key_PageUp, 0 },
        { Qt::Key_PageUp, 3 }, { Qt::Key_Tab, 0 } };
    find(u"appTokenField"_s)->setFocus();
    for (const auto& [key, tab] : steps) {
        QTest::keyClick(QApplication::focusWidget(), key, Qt::ControlModifier);
        EXPECT_EQ(tabs->currentIndex(), tab);
    }

    find(u"testButton"_s)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return tester.tokens.size() == 1; }, 2000));
    EXPECT_EQ(connects, 0);
    find(u"botTokenField"_s)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return connects == 1; }, 2000));
    // Return presses a focused toggle too, not only a push button.
    window->showTab(Tab::general);
    auto* toggle = find<QAbstractButton>(u"foldRepeatsToggle"_s);
    const bool wasChecked = toggle->isChecked();
    toggle->setFocus();
    QTest::keyClick(toggle, Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return toggle->isChecked() != wasChecked; }, 2000));

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_TRUE(window->isHidden());
}

TEST_F(SettingsWindowTest, TestTokenShowsWhatSlackSaysAndStoresNothing)
{
    // A refusal is shown as ServerTextIsShownAsItIsAndCut shows it.
    const std::pair<TokenOwner, QString> cases[] = {
        { TokenOwner { u"Acme"_s, u"pager"_s }, u"✓ Acme as @pager"_s },
        { TokenOwner {}, u"✓ ? as @?"_s },
    };
    type(u"botTokenField"_s, u"xoxb-1"_s);
    for (const auto& [owner, expected] : cases) {
        tester.answer = owner;
        click(u"testButton"_s);
        EXPECT_EQ(find<QAbstractButton>(u"testButton"_s)->text(), u"Testing…"_s);
        EXPECT_FALSE(enabled(u"testButton"_s)) << "one test at a time";
        ASSERT_TRUE(answerTokenTest());
        EXPECT_TRUE(resultBecomes(expected));
        EXPECT_TRUE(enabled(u"testButton"_s));
    }
    EXPECT_EQ(tester.tokens, QStringList(std::size(cases), u"xoxb-1"_s));
    EXPECT_TRUE(keychain.calls.isEmpty());
    EXPECT_EQ(connects + disconnects, 0);

    // An answer after the window is gone ends the tab's task quietly (ASan would see a touch of
    // the freed tab).
    click(u"testButton"_s);
    window.reset();
    EXPECT_TRUE(answerTokenTest());
}

TEST_F(SettingsWindowTest, ClearForgetsTokensAndTheStatusFollowsTheService)
{
    storeTokens();
    settings.setConnectionState(ConnectionState::connected());
    settings.setTeamName(u"Acme"_s);
    settings.setBotUserName(u"pager"_s);
    window->showTab(Tab::authentication);
    EXPECT_EQ(find<QLineEdit>(u"botTokenField"_s)->text(), kBotToken)
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
    // Each slider pushed past a neighbour (the rules have their own table): the minutes shown.
    const std::tuple<QString, int, int, int, int> cases[] = {
        { u"freshSlider"_s, 20, 14, 15, 30 },
        { u"staleSlider"_s, 1, 5, 15, 16 },
        { u"agingSlider"_s, 1, 5, 6, 30 },
    };
    const auto expectShown = [&](int fresh, int aging, int stale) {
        const std::pair<QString, int> rows[]
            = { { u"fresh"_s, fresh }, { u"aging"_s, aging }, { u"stale"_s, stale } };
        for (const auto& [row, minutes] : rows) {
            EXPECT_EQ(text(row + u"Value"_s), u"%1 min"_s.arg(minutes)) << qPrintable(row);
            EXPECT_EQ(find<QSlider>(row + u"Slider"_s)->value(), minutes) << qPrintable(row);
        }
    };
    for (const auto& [slider, minutes, fresh, aging, stale] : cases) {
        SCOPED_TRACE(qPrintable(slider));
        find<QSlider>(slider)->setValue(minutes);
        expectShown(fresh, aging, stale);
        EXPECT_EQ(
            settings.agingPolicy(), (AgingPolicy { fresh * 60.0, aging * 60.0, stale * 60.0 }));
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
}

// Reminders are banners: their toggle works only while banners are on, the sound only while
// both are. After each click: banners, reminders, sound as stored, then the two enabled.
TEST_F(SettingsWindowTest, ReminderTogglesWriteThroughAndFollowTheBannerToggle)
{
    const std::pair<QString, QString> cases[]
        = { { u"overdueSoundToggle"_s, u"11111"_s }, { u"overdueRemindersToggle"_s, u"10110"_s },
              { u"notificationsToggle"_s, u"00100"_s }, { u"notificationsToggle"_s, u"10110"_s } };
    const auto bit = [](bool on) { return on ? u"1"_s : u"0"_s; };
    for (const auto& [name, expected] : cases) {
        click(name);
        EXPECT_EQ(bit(settings.notificationsEnabled()) + bit(settings.overdueRemindersEnabled())
                + bit(settings.overdueReminderSound()) + bit(enabled(u"overdueRemindersToggle"_s))
                + bit(enabled(u"overdueSoundToggle"_s)),
            expected)
            << qPrintable(name);
    }
}

TEST_F(SettingsWindowTest, AutostartToggleWritesAndRemovesTheLoginEntry)
{
    const QString entry = autostartFolder() + u"/com.corvane.Halyard.desktop"_s;
    auto* toggle = find<QCheckBox>(u"autostartToggle"_s);
    ASSERT_FALSE(toggle->isChecked());
    // What the entry says, and that it starts the program: AutostartEntry.
    toggle->click();
    EXPECT_TRUE(QFile::exists(entry));
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

// A proxy's error page in every place that shows text from the network: on screen it is the
// page's source, cut, never a heading, a table and a picture from a local file.
TEST_F(SettingsWindowTest, ServerTextIsShownAsItIsAndCut)
{
    const QString page = u"<h1>502 Bad Gateway</h1><table><tr><td>nginx</td></tr></table>"
                         u"<img src=\"file:///usr/share/pixmaps/debian-logo.png\">"_s
        + QString(1000, u'x');
    settings.setConnectionState(
        ConnectionState::error(Problem::of(Problem::Kind::slackRefused, {}, 0, page)));
    tester.answer = std::unexpected(Problem::of(Problem::Kind::slackRefused, {}, 0, page));
    type(u"botTokenField"_s, u"xoxb-1"_s);
    click(u"testButton"_s);
    ASSERT_TRUE(answerTokenTest());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !result().isEmpty(); }, 5000));
    const QString connectionRow = onScreen(find<QLabel>(u"connectionStatus"_s));
    const QString testResult = onScreen(find<QLabel>(u"resultLabel"_s));
    settings.setConnectionState(ConnectionState::connected());
    settings.setTeamName(page);
    settings.setBotUserName(u"pager"_s);

    // What is on screen, and how it starts.
    const std::pair<QString, QString> cases[] = {
        { connectionRow, u"Error: Slack refused the request (<h1>502 Bad Gateway</h1>"_s },
        { testResult, u"✗ Slack refused the request (<h1>502 Bad Gateway</h1>"_s },
        { onScreen(find<QLabel>(u"connectionWorkspace"_s)), u"· <h1>502 Bad Gateway</h1>"_s },
    };
    for (const auto& [onScreenText, start] : cases) {
        EXPECT_TRUE(onScreenText.startsWith(start)) << onScreenText.left(80).toStdString();
        EXPECT_LE(onScreenText.size(), kDisplayTextLimit) << start.toStdString();
    }
}

TEST(SettingsVersion, BuildNumberShowsOnlyWhenItAddsSomething)
{
    const std::tuple<QString, QString, QString> cases[] = {
        { u"1.4"_s, u"1.4"_s, u"1.4"_s },
        { u"1.4"_s, u"212"_s, u"1.4 (212)"_s },
        { u"1.4"_s, {}, u"1.4"_s },
        { {}, u"212"_s, u"? (212)"_s },
        { {}, {}, u"?"_s },
    };
    for (const auto& [version, build, expected] : cases)
        EXPECT_EQ(versionText(version, build), expected) << qPrintable(version);
}

// The manifest the first setup step names is handed out whole, with a word that it was.
TEST_F(SettingsWindowTest, CopyManifestHandsItOutAndAboutShowsTheVersionAndAsksForUpdates)
{
    click(u"copyManifestButton"_s);
    const auto manifest = QJsonDocument::fromJson(QGuiApplication::clipboard()->text().toUtf8());
    EXPECT_TRUE(manifest[u"settings"_s][u"socket_mode_enabled"_s].toBool());
    EXPECT_TRUE(shown(u"manifestCopiedLabel"_s));

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

#include "settingswindow_test.moc"
