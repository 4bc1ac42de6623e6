#include "common/fakekeychain.h"
#include "common/servertext.h"
#include "common/timers.h"
#include "queue/alertstore.h"
#include "settings/preferencestore.h"
#include "settings/settingsstore.h"
#include "settings/updatereminderstore.h"
#include "slack/directory/slackdirectory.h"
#include "slack/text/slacktext.h"
#include "ui/common/elidedlabel.h"
#include "ui/common/linkopener.h"
#include "ui/common/panellayout.h"
#include "ui/common/panelstyle.h"
#include "ui/common/statusdot.h"
#include "ui/queue/alertqueuemodel.h"
#include "ui/queue/alertrow.h"
#include "ui/queue/alerttext.h"
#include "ui/queue/collapsedbarview.h"
#include "ui/queue/panelactions.h"
#include "ui/queue/panelrootview.h"
#include "ui/queue/queueview.h"
#include "ui/updates/updaterow.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace halyard {
namespace {

constexpr ReferenceTime kStart = 800'000'000;

// 13,000 emoji joined by zero-width joiners into one grapheme, from the seed-th of a few hundred.
QString emojiChain(int seed)
{
    QString text;
    for (int i = 0; i < 13'000; ++i) {
        const char32_t emoji = 0x1F300 + (seed + i) % 768;
        text += (i > 0 ? QString(QChar(0x200D)) : QString()) + QString::fromUcs4(&emoji, 1);
    }
    return text;
}

// Every store the panel reads, its actions wired as the program wires them but to a recording
// link opener, and a hand-driven clock.
struct Panel {
    test::FakeKeychain keychain;
    QTemporaryDir folder;
    PreferenceStore preferences { folder.path() };
    SettingsStore settings { keychain, preferences };
    AlertStore alerts;
    // A row per alert: these cases are about rows; folding has its own below.
    bool rowPerAlert = [this] {
        alerts.setFolding(false);
        return true;
    }();
    SlackDirectory directory;
    UpdateReminderStore updates { preferences };
    PanelLayout layout;
    ReferenceTime clock = kStart;
    bool slackHandler = true;
    QList<QUrl> opened;
    int updateOpens = 0;
    LinkOpener opener { [this](const QUrl& url) { opened.append(url); },
        [this] { return slackHandler; } };
    PanelActions actions;
    bool wired = [this] {
        QObject::connect(
            &actions, &PanelActions::acknowledgeRequested, &actions, [this](const Alert& alert) {
                alerts.acknowledge(alert);
                alerts.announceChanges();
            });
        QObject::connect(&actions, &PanelActions::openRequested, &actions,
            [this](const Alert& alert) { opener.openAlert(settings, alert); });
        QObject::connect(&actions, &PanelActions::linkRequested, &actions,
            [this](const QUrl& url) { opener.openMessageLink(url); });
        QObject::connect(
            &actions, &PanelActions::openUpdateRequested, &actions, [this] { ++updateOpens; });
        return true;
    }();
    PanelRootView view { alerts, settings, directory, updates, layout, actions,
        [this] { return clock; } };

    Alert add(const QString& ts, double ageSeconds, std::optional<QString> userId = {},
        const QString& text = u"Disk almost full on db-1"_s, const QString& channel = u"C1"_s)
    {
        const Alert alert { Alert::makeId(channel, ts), channel, ts, userId, text,
            clock - ageSeconds, std::nullopt };
        alerts.enqueue(alert);
        alerts.announceChanges();
        return alert;
    }

    template <typename T> T* find(const QString& name) const
    {
        T* widget = view.findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << qUtf8Printable(name);
        return widget;
    }
    QString status() const { return find<QLabel>(u"statusLabel"_s)->text(); }
    bool shows(const QString& name) const { return !find<QWidget>(name)->isHidden(); }
    QList<AlertRow*> rows() const { return view.findChild<QueueView*>()->rows(); }
    bool queueShown() const { return !view.findChild<QueueView*>()->isHidden(); }
    void toggle() const { find<QAbstractButton>(u"chevronButton"_s)->click(); }
};

TEST(CollapsedBar, ShowsConnectionHealthAndCount)
{
    // State, ages queued, then the status, the dot's tooltip and the count (empty: neither count
    // nor chevron).
    const std::tuple<ConnectionState, QList<double>, QString, QString, QString> cases[] = {
        { ConnectionState::disconnected(), {}, u"Not connected"_s,
            u"Not connected — open Settings"_s, {} },
        { ConnectionState::connecting(), {}, u"Connecting…"_s, u"Connecting to Slack…"_s, {} },
        { ConnectionState::error(
              Problem::of(Problem::Kind::slackRefused, {}, 0, u"invalid_auth"_s)),
            { 10 }, u"Connection error"_s,
            u"Connection error: Slack did not accept the token (invalid_auth)"_s, u"(1)"_s },
        { ConnectionState::connected(), {}, u"🟢"_s, u"Connected to Slack"_s, {} },
        { ConnectionState::connected(), { 10, 20, 400 }, u"🟡"_s, u"Connected to Slack"_s,
            u"(3)"_s },
        { ConnectionState::connected(), { 10, 400, 1000, 2000 }, u"🔴"_s, u"Connected to Slack"_s,
            u"(4)"_s },
    };
    for (const auto& [state, ages, status, tooltip, count] : cases) {
        Panel p;
        p.settings.setConnectionState(state);
        for (int i = 0; i < ages.size(); ++i)
            p.add(u"100.%1"_s.arg(i), ages[i]);
        SCOPED_TRACE(qUtf8Printable(tooltip));
        EXPECT_EQ(p.status(), status);
        EXPECT_EQ(p.find<StatusDot>(u"connectionDot"_s)->toolTip(), tooltip);
        EXPECT_EQ(p.shows(u"countLabel"_s), !count.isEmpty());
        EXPECT_EQ(p.shows(u"chevronButton"_s), !count.isEmpty());
        EXPECT_TRUE(count.isEmpty() || p.find<QLabel>(u"countLabel"_s)->text() == count);
    }
    // Text from a server shows as it is, never as markup, and cut.
    Panel p;
    const QString page = u"<h1>502 Bad Gateway</h1>"_s + QString(1000, u'x');
    p.settings.setConnectionState(
        ConnectionState::error(Problem::of(Problem::Kind::slackRefused, {}, 0, page)));
    QString tip = p.find<StatusDot>(u"connectionDot"_s)->toolTip();
    QTextDocument shown;
    shown.setHtml(tip);
    tip = Qt::mightBeRichText(tip) ? shown.toPlainText() : tip;
    EXPECT_TRUE(
        tip.startsWith(u"Connection error: Slack refused the request (<h1>502 Bad Gateway</h1>"_s));
    EXPECT_LE(tip.size(), kDisplayTextLimit);
}

TEST(PanelRoot, EveryChangeOfTheCountReExpandsTheLastAckCollapsesAndTheCapHolds)
{
    Panel p;
    p.view.show();
    EXPECT_FALSE(p.view.isExpanded());
    const int collapsedHeight = p.view.sizeHint().height();

    const Alert first = p.add(u"100.1"_s, 10);
    EXPECT_TRUE(p.view.isExpanded());
    EXPECT_TRUE(p.queueShown());
    EXPECT_GT(p.view.sizeHint().height(), collapsedHeight);

    p.toggle();
    EXPECT_FALSE(p.queueShown());
    EXPECT_EQ(p.view.sizeHint().height(), collapsedHeight);
    p.add(u"100.2"_s, 5);
    EXPECT_TRUE(p.view.isExpanded());

    p.toggle();
    AlertRow* second = p.rows().at(1);
    p.rows().at(0)->findChild<QAbstractButton*>(u"ackButton"_s)->click();
    EXPECT_FALSE(p.alerts.contains(first.id));
    EXPECT_TRUE(p.view.isExpanded());
    // The remaining alert keeps its row (and with it the hover state).
    EXPECT_EQ(p.rows(), QList<AlertRow*> { second });

    p.rows().at(0)->findChild<QAbstractButton*>(u"ackButton"_s)->click();
    EXPECT_FALSE(p.view.isExpanded());
    EXPECT_FALSE(p.shows(u"chevronButton"_s));
    EXPECT_EQ(p.view.sizeHint().height(), collapsedHeight);

    // Below the cap the panel is as tall as its rows (the cap: BuildsRowsOnlyForWhatIsInView).
    Panel queued;
    for (int i = 0; i < 6; ++i)
        queued.add(u"100.%1"_s.arg(i), 10);
    queued.view.show();
    auto* queue = queued.view.findChild<QueueView*>();
    const int barAndDivider = queued.view.sizeHint().height() - queue->height();
    queued.layout.setMaxQueueHeight(2000);
    EXPECT_EQ(
        queued.view.sizeHint().height(), barAndDivider + queue->contentHeight(queue->width()));
}

// The model mirrors the store through announcements alone: rows come as runs, not one signal
// per alert, and a tick reports only the rows whose stage or age text moved.
TEST(AlertQueueModel, ReplaysAnnouncementsAsRowRunsAndTicksAsChangedRows)
{
    AlertStore store;
    const auto make = [](const QString& ts, ReferenceTime at) {
        return Alert { Alert::makeId(u"C1"_s, ts), u"C1"_s, ts, {}, u"x"_s, at, {} };
    };
    store.setFolding(false);
    store.enqueue(make(u"1.0"_s, kStart - 299));
    store.enqueue(make(u"2.0"_s, kStart - 500));
    store.enqueue(make(u"3.0"_s, kStart - 899));
    store.announceChanges();

    const SlackDirectory directory;
    AlertQueueModel model(store, directory, kStart);
    // The model's rows are the store's, folded as the store says.
    const auto rows = [&store, &model] {
        QList<QStringList> folded, shown;
        for (const FoldedRow& row : AlertFolding().fold(store.alerts(), store.folding()))
            folded.append(row.memberIds);
        for (int row = 0; row < model.rowCount(); ++row)
            shown.append(model.memberIds(row));
        return folded == shown;
    };
    EXPECT_TRUE(rows());
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

    // A tick that ages two rows out of three reports just those two.
    model.setNow(kStart + 2);
    ASSERT_EQ(changed.count(), 2);
    EXPECT_EQ(changed.at(0).at(0).toModelIndex().row(), 0); // oldest first: the 899 s one
    EXPECT_EQ(changed.at(1).at(0).toModelIndex().row(), 2);
    EXPECT_EQ(model.stage(0), AgeStage::stale);
    EXPECT_EQ(model.stage(2), AgeStage::aging);
    EXPECT_EQ(model.ageText(1), u"8 min ago"_s);

    // One catch-up page: a hundred newer alerts and one older than all, one signal per run.
    for (int i = 0; i < 100; ++i)
        store.enqueue(make(u"10.%1"_s.arg(i), kStart - 50 + i * 0.01));
    store.enqueue(make(u"0.5"_s, kStart - 5000));
    store.acknowledge(make(u"10.7"_s, 0)); // came and went before anyone saw it
    store.announceChanges();
    EXPECT_EQ(inserted.count(), 2);
    EXPECT_EQ(removed.count(), 0);
    EXPECT_TRUE(rows());

    // A removal in the middle.
    store.removeBySource(u"C1"_s, u"2.0"_s);
    store.announceChanges();
    ASSERT_EQ(removed.count(), 1);
    EXPECT_EQ(removed.at(0).at(1).toInt(), removed.at(0).at(2).toInt());
    EXPECT_TRUE(rows());
    // Random work in random batches keeps the mirror exact, a row per alert and then folded.
    QRandomGenerator random(20);
    for (int batch = 0; batch < 80; ++batch) {
        store.setFolding(batch >= 50);
        for (int op = random.bounded(1, 8); op > 0; --op) {
            if (random.bounded(3) == 0 && !store.alerts().isEmpty())
                store.removeBySource(
                    u"C1"_s, store.alerts().at(random.bounded(int(store.alerts().size()))).ts);
            else
                store.enqueue(make(u"%1.%2"_s.arg(20 + batch).arg(op),
                    kStart - random.bounded(3) * 4000 - random.bounded(900)));
        }
        store.announceChanges();
        ASSERT_TRUE(rows()) << "batch " << batch;
    }
}

// A long queue: only a screenful of rows are widgets, in queue order, wherever it is scrolled.
TEST(QueueView, BuildsRowsOnlyForWhatIsInViewAndKeepsTheirOrder)
{
    Panel p;
    p.layout.setMaxQueueHeight(300);
    for (int i = 0; i < 1000; ++i)
        p.alerts.enqueue(Alert { Alert::makeId(u"C1"_s, u"100.%1"_s.arg(i, 4, 10, QChar(u'0'))),
            u"C1"_s, u"100.%1"_s.arg(i, 4, 10, QChar(u'0')), {}, u"Alert %1"_s.arg(i),
            kStart - 1000 + i, {} });
    p.alerts.announceChanges();
    p.view.show();
    EXPECT_TRUE(p.view.isExpanded());
    EXPECT_EQ(p.find<QLabel>(u"countLabel"_s)->text(), u"(1000)"_s);
    auto* queue = p.view.findChild<QueueView*>();
    EXPECT_EQ(queue->height(), 300);

    const auto shownTexts = [&] {
        QStringList out;
        for (AlertRow* row : p.rows())
            out.append(row->alert().text);
        return out;
    };
    const QStringList top = shownTexts();
    ASSERT_FALSE(top.isEmpty());
    for (int i = 0; i < top.size(); ++i)
        EXPECT_EQ(top.at(i), u"Alert %1"_s.arg(i));
    EXPECT_LT(p.view.findChildren<AlertRow*>().size(), 30);

    queue->verticalScrollBar()->setValue(queue->verticalScrollBar()->maximum());
    EXPECT_EQ(shownTexts().last(), u"Alert 999"_s);
    EXPECT_LT(p.view.findChildren<AlertRow*>().size(), 30);

    // Acknowledging at the top while scrolled there moves the next alert up.
    queue->verticalScrollBar()->setValue(0);
    p.rows().at(0)->findChild<QAbstractButton*>(u"ackButton"_s)->click();
    EXPECT_EQ(shownTexts().first(), u"Alert 1"_s);
    EXPECT_EQ(p.find<QLabel>(u"countLabel"_s)->text(), u"(999)"_s);
}

// A name that arrives late: the model announces exactly the rows that show it, which show it
// and are measured again. Names: "#id" a channel's, "@id" a user's.
TEST(QueueView, LateNamesReachExactlyTheRowsThatShowThemAndAreMeasuredAgain)
{
    const QString longName = u"Maximiliane Featherstonehaugh-Worthington"_s;
    // The names, the rows announced, and the row looked at with its header and text.
    const std::tuple<QList<std::pair<QString, QString>>, QList<int>, int, QString, QString> cases[]
        = {
              { { { u"#C1"_s, u"ops"_s } }, { 0 }, 0, u"#ops"_s, u"Backup failed"_s },
              { { { u"@U4"_s, u"Dana"_s } }, { 2 }, 2, u"#C2 · Dana"_s, u"Disk full"_s },
              { { { u"@U2"_s, longName }, { u"@U3"_s, longName } }, { 1 }, 1, u"#C2"_s,
                  u"@%1 @%1 #C9 look"_s.arg(longName) },
              { { { u"#C2"_s, u"db"_s } }, { 1, 2 }, 2, u"#db · U4"_s, u"Disk full"_s },
              { { { u"@U9"_s, u"Kim"_s } }, {}, 3, u"#C3"_s, u"ok"_s },
          };
    for (const auto& [names, announced, shown, header, text] : cases) {
        SCOPED_TRACE(qUtf8Printable(names.first().first));
        Panel p;
        p.view.show();
        p.add(u"100.1"_s, 40, u"U1"_s, u"Backup failed"_s, u"C1"_s);
        p.add(u"100.2"_s, 30, {}, u"<@U2> <@U3> <#C9> look"_s, u"C2"_s);
        p.add(u"100.3"_s, 20, u"U4"_s, u"Disk full"_s, u"C2"_s);
        p.add(u"100.4"_s, 10, {}, u"ok"_s, u"C3"_s);
        p.directory.setUserName(u"U4"_s, u"U4"_s);
        test::outlastTimers(std::chrono::milliseconds(0));
        const int before = p.rows().at(shown)->height();
        QSignalSpy spy(p.view.findChild<AlertQueueModel*>(), &QAbstractItemModel::dataChanged);
        for (const auto& [id, name] : names) {
            if (id.startsWith(u'#'))
                p.directory.setChannelName(id.mid(1), name);
            else
                p.directory.setUserName(id.mid(1), name);
        }
        test::outlastTimers(std::chrono::milliseconds(0));
        QList<int> changed;
        for (const QList<QVariant>& signal : spy) {
            for (int row = signal.at(0).toModelIndex().row();
                 row <= signal.at(1).toModelIndex().row(); ++row)
                changed.append(row);
        }
        EXPECT_EQ(changed, announced);
        AlertRow* row = p.rows().at(shown);
        auto* author = row->findChild<ElidedLabel*>(u"alertAuthor"_s);
        EXPECT_EQ(
            row->channelLabel() + (author->isHidden() ? QString() : u' ' + author->text()), header);
        auto* shownText = row->findChild<AlertText*>(u"alertText"_s);
        EXPECT_EQ(shownText->plainText(), text);
        EXPECT_EQ(row->height() > before, text.contains(longName));
        EXPECT_EQ(shownText->height(), shownText->heightForWidth(shownText->width()));
    }
}

// What the row shows, and what a screen reader says for it: the stage in words, not colour alone.
TEST(AlertRowHeader, NamesChannelAndKnownAuthorOnlyAndReadsTheStage)
{
    struct Case {
        QString channel;
        std::optional<QString> userId;
        double age;
        QString expectedChannel;
        QString expectedAuthor; // empty: hidden
        QString accessibleName;
        QString stage;
    };
    const Case cases[] = {
        { u"C1"_s, u"U1"_s, 125, u"#ops"_s, u"· Dana"_s,
            u"#ops, Dana, 2 min ago, Fresh, Backup failed"_s, u"Fresh"_s },
        { u"C1"_s, u"U2"_s, 400, u"#ops"_s, {}, u"#ops, 6 min ago, Aging, Backup failed"_s,
            u"Aging"_s },
        { u"C1"_s, std::nullopt, 1000, u"#ops"_s, {}, u"#ops, 16 min ago, Stale, Backup failed"_s,
            u"Stale"_s },
        { u"C9"_s, u"U1"_s, 2000, u"#C9"_s, u"· Dana"_s,
            u"#C9, Dana, 33 min ago, Overdue, Backup failed"_s, u"Overdue"_s },
    };
    const auto accessible = [](QWidget* widget) {
        return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
    };
    for (const Case& c : cases) {
        Panel p;
        p.directory.setChannelName(u"C1"_s, u"ops"_s);
        p.directory.setUserName(u"U1"_s, u"Dana"_s);
        p.add(u"100.1"_s, c.age, c.userId, u"Backup failed"_s, c.channel);
        AlertRow* row = p.rows().at(0);
        EXPECT_EQ(row->findChild<ElidedLabel*>(u"alertChannel"_s)->text(), c.expectedChannel);
        auto* author = row->findChild<ElidedLabel*>(u"alertAuthor"_s);
        EXPECT_EQ(author->isHidden(), c.expectedAuthor.isEmpty());
        EXPECT_TRUE(c.expectedAuthor.isEmpty() || author->text() == c.expectedAuthor);
        EXPECT_EQ(accessible(row->openArea()), c.accessibleName);
        EXPECT_EQ(accessible(row->findChild<QWidget*>(u"ackButton"_s)),
            u"Acknowledge alert from "_s + c.expectedChannel);
        auto* dot = row->findChild<StatusDot*>(u"stageDot"_s);
        EXPECT_EQ(dot->toolTip(), u"Stage: "_s + c.stage);
        EXPECT_EQ(accessible(dot), u"Stage: "_s + c.stage);
    }

    // 299 s old: aging at the first tick after 300 s, not when the clock passes it.
    Panel p;
    p.add(u"100.1"_s, 299);
    AlertRow* row = p.rows().at(0);
    p.clock += 4;
    EXPECT_EQ(row->stage(), AgeStage::fresh);
    p.view.tick();
    EXPECT_EQ(row->stage(), AgeStage::aging);
    EXPECT_EQ(row->findChild<StatusDot*>()->color(), panelstyle::stageColor(AgeStage::aging));
    EXPECT_EQ(row->findChild<QLabel*>(u"alertAge"_s)->text(), u"5 min ago"_s);
}

// The keyboard walks a queue far longer than the view: the current row is always in view, even
// though rows outside it have no widgets, and keys do what the row's click and button do.
TEST(PanelKeys, ArrowsMoveTheCurrentRowReturnOpensAAndDeleteAcknowledgeEscapeLetsGo)
{
    Panel p;
    p.settings.setTeamId(u"T1"_s);
    p.layout.setMaxQueueHeight(200);
    for (int i = 0; i < 40; ++i)
        p.add(u"100.%1"_s.arg(i, 2, 10, QChar(u'0')), 10, {}, u"Alert %1"_s.arg(i));
    p.view.show();
    p.view.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&p.view));
    // What a click on the bar's background does (WindowManagerTest clicks it under each desktop).
    p.view.findChild<QueueView*>()->takeKeyboardFocus();
    QSignalSpy released(&p.view, &PanelRootView::keyboardReleased);
    QSignalSpy snooze(&p.actions, &PanelActions::snoozeChoicesRequested);
    auto* queue = p.view.findChild<QueueView*>();

    // The key, then the current row's text (empty: the queue does not have the keyboard), the
    // alerts queued and the messages opened.
    const std::tuple<Qt::Key, QString, qsizetype, qsizetype> steps[] = {
        { Qt::Key_unknown, u"Alert 0"_s, 40, 0 },
        { Qt::Key_Down, u"Alert 1"_s, 40, 0 },
        { Qt::Key_End, u"Alert 39"_s, 40, 0 },
        { Qt::Key_Up, u"Alert 38"_s, 40, 0 },
        { Qt::Key_Return, u"Alert 38"_s, 40, 1 },
        { Qt::Key_A, u"Alert 39"_s, 39, 1 },
        { Qt::Key_Home, u"Alert 0"_s, 39, 1 },
        { Qt::Key_Delete, u"Alert 1"_s, 38, 1 },
        { Qt::Key_S, u"Alert 1"_s, 38, 1 },
        // Tab reaches the bar, where Return presses the chevron: the queue folds away.
        { Qt::Key_Tab, {}, 38, 1 },
    };
    for (const auto& [key, current, queued, opened] : steps) {
        SCOPED_TRACE(qUtf8Printable(current));
        if (key != Qt::Key_unknown)
            QTest::keyClick(QApplication::focusWidget(), key);
        EXPECT_EQ(p.alerts.alerts().size(), queued);
        EXPECT_EQ(p.opened.size(), opened);
        EXPECT_EQ(queue->hasFocus(), !current.isEmpty());
        QList<AlertRow*> rows = p.rows();
        rows.removeIf([](const AlertRow* row) { return !row->isCurrent(); });
        if (current.isEmpty()) {
            EXPECT_TRUE(rows.isEmpty());
            continue;
        }
        ASSERT_EQ(rows.size(), 1);
        EXPECT_EQ(rows.at(0)->alert().text, current);
        const QRect inView = queue->viewport()->rect();
        EXPECT_TRUE(inView.contains(rows.at(0)->geometry())) << rows.at(0)->y();
    }
    EXPECT_EQ(p.opened.at(0).toString(), u"slack://channel?team=T1&id=C1&message=100.38"_s);
    ASSERT_EQ(snooze.count(), 1);
    EXPECT_EQ(snooze.at(0).at(0).value<Alert>().text, u"Alert 1"_s);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), u"chevronButton"_s);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_FALSE(p.view.isExpanded());
    EXPECT_EQ(released.count(), 0);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(released.count(), 1);
}

// An empty queue has no current row, and the keys that act on one do nothing.
TEST(PanelKeys, OnAnEmptyQueueNoRowIsCurrentAndKeysDoNothing)
{
    Panel p;
    p.view.show();
    p.view.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&p.view));
    auto* queue = p.view.findChild<QueueView*>();
    QSignalSpy acks(&p.actions, &PanelActions::acknowledgeRequested);
    QSignalSpy snooze(&p.actions, &PanelActions::snoozeChoicesRequested);
    const auto press = [queue] {
        for (const Qt::Key key : { Qt::Key_Return, Qt::Key_Delete, Qt::Key_A, Qt::Key_S })
            QTest::keyClick(queue, key);
    };
    queue->setFocus(Qt::TabFocusReason); // arrives with no row to choose
    press();
    p.add(u"100.1"_s, 10);
    queue->setFocus(Qt::TabFocusReason);
    QTest::keyClick(queue, Qt::Key_Delete);
    press();
    EXPECT_EQ(acks.count(), 1);
    EXPECT_TRUE(p.opened.isEmpty());
    EXPECT_EQ(snooze.count(), 0);
    // The next alert is chosen afresh when the keyboard comes back.
    p.add(u"100.2"_s, 10);
    queue->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(p.rows().size(), 1);
    EXPECT_TRUE(p.rows().at(0)->isCurrent());
}

// A row shows "×N" only while it folds several alerts, and hides it when it is one again.
TEST(AlertRowFold, TheCountShowsOnlyWhileTheRowFoldsSeveral)
{
    Panel p;
    p.alerts.setFolding(true);
    const auto count = [&p] {
        auto* label = p.rows().at(0)->findChild<QLabel*>(u"foldCount"_s);
        return label->isHidden() ? QString() : label->text();
    };
    p.add(u"100.1"_s, 30, {}, u"Disk usage 97% on db-1"_s);
    EXPECT_EQ(count(), QString());
    p.add(u"100.2"_s, 20, {}, u"Disk usage 98% on db-1"_s);
    p.add(u"100.3"_s, 10, {}, u"Disk usage 99% on db-1"_s);
    ASSERT_EQ(p.rows().size(), 1);
    EXPECT_EQ(count(), u"×3"_s);
    for (const auto& [ts, expected] :
        { std::pair { u"100.3"_s, u"×2"_s }, { u"100.1"_s, u""_s } }) {
        p.alerts.removeBySource(u"C1"_s, ts);
        p.alerts.announceChanges();
        ASSERT_EQ(p.rows().size(), 1);
        EXPECT_EQ(count(), expected) << qUtf8Printable(ts);
    }
}

// Toned text is derived from the palette's text colour and follows it when the desktop switches
// between light and dark while the program runs, even when only the text colour changes.
TEST(PanelStyle, ToneFollowsAPaletteSwitch)
{
    const QPalette light = QApplication::palette();
    QPalette dark = light;
    dark.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
    Panel p;
    p.directory.setUserName(u"U1"_s, u"Dana"_s);
    p.add(u"100.1"_s, 10, u"U1"_s);
    p.view.show();
    const std::pair<QString, panelstyle::Tone> cases[] = {
        { u"alertChannel"_s, panelstyle::Tone::secondary },
        { u"alertAuthor"_s, panelstyle::Tone::tertiary },
        { u"countLabel"_s, panelstyle::Tone::secondary },
        { u"chevronButton"_s, panelstyle::Tone::secondary },
    };
    for (const QPalette& palette : { dark, light }) {
        QApplication::setPalette(palette);
        QCoreApplication::processEvents(); // widgets hear of it through posted events
        for (const auto& [name, tone] : cases)
            EXPECT_EQ(p.find<QWidget>(name)->palette().color(QPalette::WindowText),
                panelstyle::toneColor(palette, tone))
                << qUtf8Printable(name);
    }
}

// A click anywhere on the row's click area opens its message; a link in its text, the link alone.
TEST(AlertRowClick, TheRowOpensItsMessageAndALinkOnlyItself)
{
    Panel p;
    p.settings.setTeamId(u"T1"_s);
    p.add(u"1712.000100"_s, 10, std::nullopt, u"see <https://example.com/runbook|runbook>"_s);
    p.view.show();
    // Through a child of the click area, the way the pointer reaches it.
    QTest::mouseClick(p.rows().at(0)->findChild<QWidget*>(u"alertChannel"_s), Qt::LeftButton);
    EXPECT_EQ(p.opened, QList { QUrl(u"slack://channel?team=T1&id=C1&message=1712.000100"_s) });
    p.opened.clear();
    auto* text = p.rows().at(0)->findChild<AlertText*>(u"alertText"_s);
    QPoint onLink;
    for (int x = 0; x < text->width() && onLink.isNull(); ++x) {
        if (!text->anchorAt(QPointF(x, 6)).isEmpty())
            onLink = QPoint(x + 2, 6);
    }
    ASSERT_FALSE(onLink.isNull());
    QTest::mouseClick(text, Qt::LeftButton, {}, onLink);
    EXPECT_EQ(p.opened, QList<QUrl> { QUrl(u"https://example.com/runbook"_s) });
}

// A long message shows three lines; whatever comes in, a row lays out what three lines can show.
TEST(PanelRoot, LongTextIsCutAtThreeLinesAndThePanelRenders)
{
    Panel p;
    p.view.show();
    p.add(
        u"100.1"_s, 2400, u"U1"_s, u"Replication lag on db-2 is 45 s :warning: see "_s.repeated(9));
    auto* text = p.rows().at(0)->findChild<AlertText*>(u"alertText"_s);
    const int lineSpacing = QFontMetrics(text->font()).lineSpacing();
    EXPECT_NEAR(text->height(), AlertText::kMaxLines * lineSpacing, 4);

    // Texts and the most characters each may show.
    const std::pair<QString, qsizetype> hostile[] = {
        { u"x"_s.repeated(40'000), AlertText::kMaxDisplayWeight },
        { u":fire:"_s.repeated(5'000), 2 * AlertText::kMaxDisplayWeight / AlertText::kEmojiWeight },
        { u"line\n"_s.repeated(50), 3 * 5 - 1 },
        { u"a\r\nb\r\nc\r\nd"_s, 8 },
        // One grapheme each: weighed by their code points, cut like any long text.
        { emojiChain(0), 3 * AlertText::kMaxDisplayWeight / AlertText::kEmojiWeight },
        { u"a"_s + QString(5'000, QChar(0x0301)), AlertText::kMaxDisplayWeight },
    };
    for (const auto& [input, maxShown] : hostile) {
        AlertText shown;
        shown.setRuns(SlackText::attributedText(input));
        EXPECT_LE(shown.plainText().size(), maxShown) << qUtf8Printable(input.left(20));
        EXPECT_GT(shown.plainText().size(), 0);
    }
    p.add(u"100.5"_s, 10, {}, u":fire:"_s.repeated(5'000));
    p.add(u"100.6"_s, 10, {}, u"x"_s.repeated(40'000));
    p.add(u"100.7"_s, 10, {}, emojiChain(0));
    p.view.adjustSize();
    for (AlertRow* row : p.rows())
        EXPECT_LE(row->findChild<AlertText*>()->height(), AlertText::kMaxLines * lineSpacing + 4);
    EXPECT_FALSE(p.view.grab().isNull());
}

// Pictures of large emoji, a different chain in each text: far more than the bound, kept to it.
TEST(AlertText, EmojiPicturesStayWithinTheirBound)
{
    AlertText text;
    QFont font = text.font();
    font.setPixelSize(200);
    text.setFont(font);
    for (int row = 0; row < 100; ++row) {
        text.setRuns(SlackText::attributedText(emojiChain(row)));
        EXPECT_GT(text.heightForWidth(320), 0);
        ASSERT_LE(AlertText::emojiPictureBytes(), AlertText::kEmojiPictureBytes) << row;
    }
    EXPECT_GT(AlertText::emojiPictureBytes(), AlertText::kEmojiPictureBytes / 2);
}

TEST(UpdateRow, AnOfferExpandsThePanelAndTheRowEndsTheQueueUntilDismissed)
{
    Panel p;
    p.view.show();
    UpdateRow* row = p.find<UpdateRow>(u"updateRow"_s);
    EXPECT_TRUE(row->isHidden());

    // Only the update: the panel opens with no count and no chevron.
    p.updates.offer(u"2.0"_s);
    EXPECT_TRUE(p.view.isExpanded());
    EXPECT_FALSE(row->isHidden());
    EXPECT_FALSE(p.shows(u"chevronButton"_s));
    EXPECT_FALSE(p.shows(u"countLabel"_s));
    EXPECT_EQ(p.find<QLabel>(u"updateText"_s)->text(), u"Update available - Halyard 2.0"_s);

    // Alerts come before it; opening goes to the action and leaves the reminder to it.
    p.add(u"100.1"_s, 10);
    p.view.grab(); // settles the layout
    EXPECT_GT(row->y(), p.rows().at(0)->y());
    p.find<QAbstractButton>(u"updateOpenArea"_s)->click();
    EXPECT_EQ(p.updateOpens, 1);
    EXPECT_EQ(p.updates.availableVersion(), u"2.0"_s);

    // Ack dismisses for good; the alert keeps the panel open until it goes too.
    p.find<QAbstractButton>(u"updateAckButton"_s)->click();
    EXPECT_EQ(p.updates.availableVersion(), std::nullopt);
    EXPECT_TRUE(row->isHidden());
    EXPECT_TRUE(p.view.isExpanded());
    p.rows().at(0)->findChild<QAbstractButton*>(u"ackButton"_s)->click();
    EXPECT_FALSE(p.view.isExpanded());

    // A reminder cleared with an empty queue collapses the panel it opened.
    p.updates.offer(u"2.1"_s);
    EXPECT_TRUE(p.view.isExpanded());
    p.updates.clearReminder();
    EXPECT_FALSE(p.view.isExpanded());
}

} // namespace
} // namespace halyard
