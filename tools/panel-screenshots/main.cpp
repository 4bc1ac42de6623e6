// Renders the floating panel, collapsed and expanded with alerts of every stage, links and
// emoji, and each tab of the settings window, and saves each as a PNG in the folder given.
// With --language, the windows show that translation and each file name ends in "-<language>";
// with --dark, a dark desktop palette and "-dark"; at a scale factor above 1 (QT_SCALE_FACTOR=2),
// "@2x".
// The pictures show one fixed moment (--at gives another, in Unix seconds); --check compares each
// picture with the file of that name in another folder (docs/, say) and fails when one differs, so
// the README's pictures are what the code draws and a changed look is a deliberate one.
#include "history/shiftreport.h"
#include "queue/alertstore.h"
#include "queue/mutelist.h"
#include "settings/keychainservice.h"
#include "settings/preferencestore.h"
#include "settings/settingsstore.h"
#include "settings/updatereminderstore.h"
#include "slack/directory/slackdirectory.h"
#include "translations/translations.h"
#include "ui/common/panellayout.h"
#include "ui/history/historyview.h"
#include "ui/panel/floatingpanel.h"
#include "ui/queue/panelactions.h"
#include "ui/queue/panelrootview.h"
#include "ui/settings/mutesview.h"
#include "ui/settings/settingswindow.h"
#include "ui/updates/updatedialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QDir>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>

#include <optional>

using namespace Qt::Literals::StringLiterals;
using namespace halyard;

namespace {

// What a dark desktop theme hands the program.
QPalette darkPalette()
{
    QPalette palette;
    const auto set = [&palette](QPalette::ColorRole role, QColor color) {
        palette.setColor(role, color);
        palette.setColor(QPalette::Disabled, role, color.darker(150));
    };
    set(QPalette::Window, QColor(0x2b, 0x2b, 0x2b));
    set(QPalette::WindowText, QColor(0xe8, 0xe8, 0xe8));
    set(QPalette::Base, QColor(0x1f, 0x1f, 0x1f));
    set(QPalette::AlternateBase, QColor(0x33, 0x33, 0x33));
    set(QPalette::Text, QColor(0xe8, 0xe8, 0xe8));
    set(QPalette::PlaceholderText, QColor(0x8c, 0x8c, 0x8c));
    set(QPalette::Button, QColor(0x3a, 0x3a, 0x3a));
    set(QPalette::ButtonText, QColor(0xe8, 0xe8, 0xe8));
    set(QPalette::Light, QColor(0x4a, 0x4a, 0x4a));
    set(QPalette::Midlight, QColor(0x40, 0x40, 0x40));
    set(QPalette::Mid, QColor(0x55, 0x55, 0x55));
    set(QPalette::Dark, QColor(0x1a, 0x1a, 0x1a));
    set(QPalette::Shadow, QColor(0x0d, 0x0d, 0x0d));
    set(QPalette::Highlight, QColor(0x35, 0x84, 0xe4));
    set(QPalette::HighlightedText, Qt::white);
    set(QPalette::Link, QColor(0x78, 0xae, 0xed));
    set(QPalette::ToolTipBase, QColor(0x1f, 0x1f, 0x1f));
    set(QPalette::ToolTipText, QColor(0xe8, 0xe8, 0xe8));
    return palette;
}

// A day of a plausible shift: more alerts in working hours, most acknowledged within the
// thresholds, a few by teammates, a few late, two still waiting.
ShiftReport sampleReport(qint64 now)
{
    QRandomGenerator random(7);
    const qint64 from = now - 24LL * 60 * 60 * 1000;
    const QString senders[] = { u"alertmanager"_s, u"grafana"_s, u"ci-bot"_s, u"pagerduty"_s,
        u"backup-job"_s, u"certwatch"_s };
    const QString channels[] = { u"ops-alerts"_s, u"deploys"_s, u"db"_s, u"infra"_s };
    QList<AlertLife> lives;
    for (qint64 at = from; at < now - 20 * 60 * 1000;) {
        const int hour = QDateTime::fromMSecsSinceEpoch(at).time().hour();
        const bool busy = hour >= 8 && hour < 19;
        at += qint64(random.bounded(busy ? 25 : 70)) * 60 * 1000;
        AlertLife life;
        life.postedAt = life.arrivedAt = at;
        life.senderName = senders[std::min<quint32>(random.bounded(8), 5)];
        life.channelName = channels[random.bounded(4)];
        const qint64 taken = qint64(60 + random.bounded(busy ? 900 : 2400)) * 1000;
        if (at + taken < now && random.bounded(25) != 0) {
            life.ackedAt = at + taken;
            life.ackedBy
                = random.bounded(5) == 0 ? AlertEvent::ackedByTeammate : AlertEvent::ackedInPanel;
        }
        lives.append(life);
    }
    return ShiftReport::compute(lives, from, now, AgingPolicy {});
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption languageOption(
        u"language"_s, u"Show the windows in this language (de, …)."_s, u"language"_s);
    parser.addOption(languageOption);
    const QCommandLineOption darkOption(u"dark"_s, u"Use a dark palette."_s);
    parser.addOption(darkOption);
    const QCommandLineOption atOption(u"at"_s, u"Show this moment (Unix seconds)."_s, u"seconds"_s);
    parser.addOption(atOption);
    const QCommandLineOption checkOption(
        u"check"_s, u"Compare each picture with the one in this folder."_s, u"folder"_s);
    parser.addOption(checkOption);
    parser.process(app);
    // 2025-12-01 14:00 UTC: rendering again changes only what the code changed.
    constexpr qint64 kPictureMoment = 1764597600;
    bool atIsNumber = true;
    const qint64 at
        = parser.isSet(atOption) ? parser.value(atOption).toLongLong(&atIsNumber) : kPictureMoment;
    if (parser.positionalArguments().size() != 1 || !atIsNumber) {
        QTextStream(stderr) << "usage: halyard-panel-screenshots [--language <code>] [--dark] "
                               "[--at <seconds>] [--check <folder>] <folder>"
                            << Qt::endl;
        return 2;
    }
    const QDir out(parser.positionalArguments().first());
    QDir().mkpath(out.path());
    // English, the sources' language, is what the README shows, whatever this machine's locale.
    QString suffix;
    if (parser.isSet(languageOption)) {
        const QString language = installTranslations(QLocale(parser.value(languageOption)));
        if (language.isEmpty()) {
            QTextStream(stderr) << "No translation for " << parser.value(languageOption)
                                << Qt::endl;
            return 2;
        }
        suffix = u'-' + language;
    }
    if (parser.isSet(darkOption)) {
        QApplication::setPalette(darkPalette());
        suffix += u"-dark"_s;
    }
    if (app.devicePixelRatio() > 1)
        suffix += u'@' + QString::number(app.devicePixelRatio()) + u'x';
    const std::optional<QDir> reference
        = parser.isSet(checkOption) ? std::optional(QDir(parser.value(checkOption))) : std::nullopt;
    int differing = 0;
    // Saves one picture and, when checking, holds it against the reference of that name. A
    // picture of the wall clock (the snooze menu names a weekday) is saved but never checked.
    const auto publish = [&](const QString& name, const QPixmap& picture, bool ofTheWallClock) {
        const QString file = name + suffix + u".png"_s;
        const QString path = out.filePath(file);
        if (!picture.save(path)) {
            QTextStream(stderr) << "Could not write " << path << Qt::endl;
            return false;
        }
        QTextStream(stdout) << path << Qt::endl;
        if (reference && !ofTheWallClock) {
            const QImage drawn = picture.toImage().convertToFormat(QImage::Format_ARGB32);
            const QImage expected
                = QImage(reference->filePath(file)).convertToFormat(QImage::Format_ARGB32);
            if (drawn != expected) {
                ++differing;
                QTextStream(stderr)
                    << path << " differs from " << reference->filePath(file) << Qt::endl;
            }
        }
        return true;
    };

    // Throw-away stores: nothing here touches the user's preferences, queue or tokens.
    const QTemporaryDir scratch;
    KeychainService keychain(u"com.corvane.Halyard.screenshots"_s);
    PreferenceStore preferences(scratch.path());
    SettingsStore settings(keychain, preferences);
    AlertStore alerts;
    SlackDirectory directory;
    UpdateReminderStore updates(preferences);
    PanelLayout layout;
    settings.setConnectionState(ConnectionState::connected());
    directory.setChannelName(u"C1"_s, u"ops-alerts"_s);
    directory.setChannelName(u"C2"_s, u"deploys"_s);
    directory.setUserName(u"U1"_s, u"Dana Whitfield"_s);
    directory.setUserName(u"B1"_s, u"alertmanager"_s);

    const ReferenceTime now = referenceTimeFromUnix(double(at));
    // Nothing is carried out: the actions lead nowhere.
    PanelActions actions;
    auto* view = new PanelRootView(
        alerts, settings, directory, updates, layout, actions, [now] { return now; });
    FloatingPanel panel(view, true);
    panel.setActions(&actions);

    const auto save = [&](const QString& name) {
        // Queue changes are announced and layout changes posted; let them settle first.
        alerts.announceChanges();
        QApplication::processEvents();
        panel.adjustSize();
        return publish(name, panel.grab(), false);
    };

    panel.show();
    if (!save(u"panel-collapsed"_s))
        return 1;
    const struct {
        const char16_t* ts;
        double age;
        const char16_t* channel;
        const char16_t* user;
        const char16_t* text;
    } samples[] = {
        { u"1700000000.000100", 2400, u"C1", u"B1",
            u"Replication lag on db-2 is 45 s :warning: see <https://grafana.example.com/d/db|the "
            u"dashboard> and page the on-call if it keeps rising." },
        { u"1700000000.000200", 1000, u"C1", u"B1",
            u"Certificate for api.example.com expires in 6 days :lock:" },
        { u"1700000000.000300", 400, u"C2", u"U1",
            u"Deploy 2024.5 *finished* :rocket: `make release` by <@U1>, <#C1> <!here>" },
        { u"1700000000.000400", 30, u"C2", u"B1",
            u"Build <https://ci.example.com/b/42|#42> failed on main :x:" },
    };
    for (const auto& s : samples) {
        const QString channel = QString::fromUtf16(s.channel);
        const QString ts = QString::fromUtf16(s.ts);
        alerts.enqueue({ Alert::makeId(channel, ts), channel, ts, QString::fromUtf16(s.user),
            QString::fromUtf16(s.text), now - s.age, std::nullopt });
    }
    if (!save(u"panel-expanded"_s))
        return 1;
    // The update reminder at the end of the queue, after the first two alerts are gone.
    for (int i = 0; i < 2; ++i) {
        const Alert oldest = alerts.alerts().first();
        alerts.acknowledge(oldest);
    }
    updates.offer(u"0.2.0"_s);
    if (!save(u"panel-update"_s))
        return 1;

    // A flapping check folded into one row, beside one alert of its own and one snoozed.
    updates.dismiss();
    for (const Alert& alert : QList<Alert>(alerts.alerts()))
        alerts.acknowledge(alert);
    for (int i = 0; i < 5; ++i) {
        const QString ts = u"1700000100.00010%1"_s.arg(i);
        alerts.enqueue({ Alert::makeId(u"C1"_s, ts), u"C1"_s, ts, u"B1"_s,
            u"Disk usage above %1% on db-1"_s.arg(94 + i), now - 1500 + i * 300, std::nullopt });
    }
    alerts.enqueue({ u"C2:1700000200.000100"_s, u"C2"_s, u"1700000200.000100"_s, u"B1"_s,
        u"Build <https://ci.example.com/b/43|#43> failed on main :x:"_s, now - 200, std::nullopt });
    alerts.enqueue({ u"C1:1700000300.000100"_s, u"C1"_s, u"1700000300.000100"_s, u"B1"_s,
        u"Certificate for api.example.com expires in 6 days :lock:"_s, now - 100, std::nullopt });
    alerts.snooze({ u"C1:1700000300.000100"_s }, now + 3600);
    if (!save(u"panel-folded"_s))
        return 1;

    // The row's menu beside its Snooze choices.
    QMenu menu;
    panel.fillSnoozeMenu(menu, alerts.alerts().first());
    auto* choices = menu.findChild<QMenu*>(u"snoozeMenu"_s);
    menu.adjustSize();
    choices->adjustSize();
    const QPixmap main = menu.grab();
    const QPixmap sub = choices->grab();
    QPixmap both(main.width() + sub.width(), std::max(main.height(), sub.height()));
    both.setDevicePixelRatio(main.devicePixelRatio());
    both.fill(Qt::transparent);
    {
        QPainter painter(&both);
        painter.drawPixmap(0, 0, main);
        painter.drawPixmap(int(main.width() / main.devicePixelRatio()) - 4, 0, sub);
    }
    if (!publish(u"snooze-menu"_s, both, true))
        return 1;

    UpdateDialog dialog(u"0.1.0"_s, [](const QUrl&) {});
    dialog.showUpdate(
        u"0.2.0"_s, QUrl(u"https://example.com/download"_s), QUrl(u"https://example.com/notes"_s));
    dialog.adjustSize();
    if (!publish(u"update-dialog"_s, dialog.grab(), false))
        return 1;

    ProgramInfo program;
    program.shortVersion = u"0.1.0"_s;
    program.autostartFolder = scratch.filePath(u"autostart"_s);
    SettingsWindow window(settings, SlackControls {}, program);
    MuteList mutes(alerts, std::nullopt, [now] { return now; });
    mutes.mute(alerts.alerts().first(), now + 45 * 60);
    window.showMutes(mutes);
    settings.setTeamName(u"Acme Ops"_s);
    settings.setBotUserName(u"halyard"_s);
    const struct {
        SettingsWindow::Tab tab;
        const char16_t* file;
    } tabs[] = {
        { SettingsWindow::Tab::authentication, u"settings-authentication" },
        { SettingsWindow::Tab::general, u"settings-general" },
        { SettingsWindow::Tab::aging, u"settings-aging" },
        { SettingsWindow::Tab::about, u"settings-about" },
    };
    for (const auto& t : tabs) {
        if (!publish(QString::fromUtf16(t.file), window.grabTab(t.tab), false))
            return 1;
    }
    // A connection that stopped answering, worded in the window's language.
    settings.setConnectionState(
        ConnectionState::error(Problem::of(Problem::Kind::heartbeatMissed, {}, 40)));
    if (!publish(u"settings-connection-error"_s,
            window.grabTab(SettingsWindow::Tab::authentication), false))
        return 1;

    HistoryView history(scratch.filePath(u"history.jsonl"_s), [] { return AgingPolicy {}; });
    // The day the sample covers; quietly, or the empty scratch history would be read for it.
    if (auto* period = history.findChild<QComboBox*>()) {
        const QSignalBlocker quiet(period);
        period->setCurrentIndex(period->findData(24));
    }
    history.showReport(sampleReport(at * 1000));
    history.resize(640, 640);
    if (!publish(u"history"_s, history.grab(), false))
        return 1;

    // The "Less noise" section with its mutes list, as the General tab lays it out.
    window.grabTab(SettingsWindow::Tab::general);
    auto* mutesView = window.findChild<MutesView*>();
    QWidget* section = mutesView->parentWidget();
    const QRect area = section->findChild<QWidget*>(u"foldRepeatsToggle"_s)
                           ->geometry()
                           .united(mutesView->geometry())
                           .adjusted(-12, -36, 12, 8);
    if (!publish(u"settings-mutes"_s, section->grab(area), false))
        return 1;
    if (differing > 0)
        QTextStream(stderr) << differing
                            << " pictures differ; if the new look is meant, render "
                               "them into the reference folder with "
                               "tools/panel-screenshots.sh"
                            << Qt::endl;
    return differing > 0 ? 1 : 0;
}
