#include "ui/settings/settingsgeneraltab.h"

#include "settings/settingsstore.h"
#include "ui/common/panelstyle.h"
#include "ui/settings/mutesview.h"
#include "ui/settings/settingsform.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

constexpr int kEmojiFieldMaxWidth = 220;
constexpr int kSectionSpacing = 18;

// Keeps a line edit and a string preference in step. Only the user's edits write, so a change
// coming from the store is not written back.
template <typename Changed>
void bindText(QLineEdit* edit, SettingsStore& settings, void (SettingsStore::*set)(const QString&),
    Changed changed)
{
    QObject::connect(edit, &QLineEdit::textEdited, &settings,
        [&settings, set](const QString& text) { (settings.*set)(text); });
    QObject::connect(&settings, changed, edit, [edit](const QString& value) {
        if (edit->text() != value)
            edit->setText(value);
    });
}

// setChecked with an unchanged value emits nothing, so the store's echo ends here.
template <typename Changed>
void bindToggle(
    QCheckBox* toggle, SettingsStore& settings, void (SettingsStore::*set)(bool), Changed changed)
{
    QObject::connect(toggle, &QCheckBox::toggled, &settings, set);
    QObject::connect(&settings, changed, toggle, &QCheckBox::setChecked);
}

// The control's own words for assistive technology, its help text as the description.
void describe(QWidget* control, QString name, const QString& help)
{
    if (name.endsWith(u':'))
        name.chop(1);
    control->setAccessibleName(name);
    control->setAccessibleDescription(QString(help).remove(u'`'));
}

} // namespace

QString SettingsGeneralTab::prefixExample(const QString& prefix)
{
    return tr("Example: \"%1 refill your water bottle\" in a monitored Slack channel becomes an "
              "alert reading \"refill your water bottle\".")
        .arg(prefix);
}

SettingsGeneralTab::SettingsGeneralTab(
    SettingsStore& settings, Autostart autostart, QWidget* parent)
    : QWidget(parent)
    , m_autostart(std::move(autostart))
{
    using namespace settingsform;

    auto* content = new QWidget(this);
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    layout->setSpacing(6);

    layout->addWidget(sectionLabel(tr("Filtering"), content));
    bindToggle(
        addToggle(layout, u"botsOnlyToggle"_s, tr("Only surface messages from bots and apps"),
            tr("By default Halyard ignores messages from human users so chatter doesn't pile "
               "up in the queue. Uncheck to also enqueue messages from teammates."),
            settings.botsOnly()),
        settings, &SettingsStore::setBotsOnly, &SettingsStore::botsOnlyChanged);
    layout->addSpacing(4);
    const QString prefixHeading = tr("Trigger prefix");
    layout->addWidget(headingLabel(prefixHeading, content));
    QLineEdit* prefix
        = addTextField(layout, u"triggerPrefixField"_s, u"halyard:"_s, settings.triggerPrefix());
    bindText(
        prefix, settings, &SettingsStore::setTriggerPrefix, &SettingsStore::triggerPrefixChanged);
    const QString prefixHelp = tr("Any message starting with this prefix is added to the queue "
                                  "regardless of who sent it. The prefix is stripped from the "
                                  "displayed text. Leave blank to disable.");
    layout->addWidget(helpLabel(prefixHelp, content));
    describe(prefix, prefixHeading, prefixHelp);
    QLabel* example = helpLabel(QString(), content);
    example->setObjectName(u"prefixExample"_s);
    example->setTextFormat(Qt::PlainText);
    example->setText(prefixExample(settings.triggerPrefix()));
    layout->addWidget(example);
    connect(&settings, &SettingsStore::triggerPrefixChanged, example,
        [example](const QString& value) { example->setText(prefixExample(value)); });

    layout->addSpacing(kSectionSpacing);
    layout->addWidget(sectionLabel(tr("Notifications"), content));
    QCheckBox* banners = addToggle(layout, u"notificationsToggle"_s,
        tr("Show a system banner when a new alert arrives"),
        tr("Banners appear where your desktop shows notifications and dismiss themselves. No "
           "sound by default "
           "— add one in your desktop's notification settings (GNOME Settings → Notifications "
           "→ Halyard, or KDE System Settings → Notifications) if you want it. Banners fire "
           "only for new live alerts, not for messages caught up by backfill after a "
           "disconnect."),
        settings.notificationsEnabled());
    bindToggle(banners, settings, &SettingsStore::setNotificationsEnabled,
        &SettingsStore::notificationsEnabledChanged);
    layout->addSpacing(4);
    QCheckBox* reminders = addToggle(layout, u"overdueRemindersToggle"_s,
        tr("Remind me when an alert becomes overdue"),
        tr("One more banner, marked urgent, when an alert has waited into the overdue stage. "
           "Alerts that became overdue while Halyard was not running or not connected are "
           "summed up in a single banner."),
        settings.overdueRemindersEnabled());
    bindToggle(reminders, settings, &SettingsStore::setOverdueRemindersEnabled,
        &SettingsStore::overdueRemindersEnabledChanged);
    QCheckBox* sound
        = addToggle(layout, u"overdueSoundToggle"_s, tr("Play a sound with overdue reminders"),
            tr("Your desktop's alarm sound, where it plays sounds for notifications."),
            settings.overdueReminderSound());
    bindToggle(sound, settings, &SettingsStore::setOverdueReminderSound,
        &SettingsStore::overdueReminderSoundChanged);
    // Reminders are banners: they follow the banner toggle, and the sound follows both.
    const auto followBanners = [banners, reminders, sound] {
        reminders->setEnabled(banners->isChecked());
        sound->setEnabled(banners->isChecked() && reminders->isChecked());
    };
    connect(banners, &QCheckBox::toggled, this, followBanners);
    connect(reminders, &QCheckBox::toggled, this, followBanners);
    followBanners();

    layout->addSpacing(kSectionSpacing);
    layout->addWidget(sectionLabel(tr("Less noise"), content));
    bindToggle(addToggle(layout, u"foldRepeatsToggle"_s, tr("Fold repeated alerts into one row"),
                   tr("Alerts from the same channel and sender whose text differs only in its "
                      "numbers, within an hour of each other, show as one row with their count "
                      "and the newest text; Ack acknowledges every one of them. Every alert is "
                      "still kept and listed."),
                   settings.foldRepeats()),
        settings, &SettingsStore::setFoldRepeats, &SettingsStore::foldRepeatsChanged);
    m_mutesSlot = new QVBoxLayout;
    m_mutesSlot->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(m_mutesSlot);

    layout->addSpacing(kSectionSpacing);
    layout->addWidget(sectionLabel(tr("Ack-back to Slack"), content));
    bindToggle(addToggle(layout, u"ackBackToggle"_s,
                   tr("Add a reaction to the original Slack message when I Ack"),
                   tr("When you click Ack, Halyard adds an emoji reaction to the source message so "
                      "anyone else in the channel can see it's been handled."),
                   settings.ackBackEnabled()),
        settings, &SettingsStore::setAckBackEnabled, &SettingsStore::ackBackEnabledChanged);
    layout->addSpacing(4);
    const QString emojiHeading = tr("Emoji shortcode:");
    layout->addWidget(headingLabel(emojiHeading, content));
    QLineEdit* emoji = addTextField(
        layout, u"ackBackEmojiField"_s, u"white_check_mark"_s, settings.ackBackEmoji());
    emoji->setMaximumWidth(kEmojiFieldMaxWidth);
    bindText(emoji, settings, &SettingsStore::setAckBackEmoji, &SettingsStore::ackBackEmojiChanged);
    const QString emojiHelp
        = tr("Without colons — e.g. `white_check_mark`, `eyes`, `thumbsup`, `large_green_circle`. "
             "Requires the `reactions:write` bot scope. If you set up Halyard before this feature, "
             "see Authentication for the updated scope list and reinstall the app.");
    layout->addWidget(helpLabel(emojiHelp, content));
    describe(emoji, emojiHeading, emojiHelp);
    layout->addSpacing(4);
    bindToggle(
        addToggle(layout, u"teamSharedAckToggle"_s,
            tr("Also clear my queue when this reaction lands in Slack"),
            tr("When the configured emoji is added to a source message in Slack — whether by you "
               "on another computer, by a teammate, or by you manually in the Slack client — the "
               "matching alert clears from this device's queue too. Keeps your queue in sync "
               "across all your computers and across your team. Requires the `reactions:read` bot "
               "scope and a `reaction_added` event subscription."),
            settings.teamSharedAckEnabled()),
        settings, &SettingsStore::setTeamSharedAckEnabled,
        &SettingsStore::teamSharedAckEnabledChanged);

    layout->addSpacing(kSectionSpacing);
    layout->addWidget(sectionLabel(tr("Placement"), content));
    bindToggle(
        addToggle(layout, u"snapToggle"_s, tr("Snap to the top of the screen when dragging close"),
            tr("When the panel gets within ~50px of the top of the screen while dragging up, "
               "it snaps flush under the top bar. Makes flush placement easier to hit. Turn "
               "off if you want fine-grained control over the panel's distance from the top "
               "of the screen."),
            settings.snapToMenuBar()),
        settings, &SettingsStore::setSnapToMenuBar, &SettingsStore::snapToMenuBarChanged);
    bindToggle(addToggle(layout, u"showPanelToggle"_s, tr("Show the panel"),
                   tr("Turn off where a status-bar module and banners are enough: Halyard then "
                      "shows no window until you open Settings (start Halyard again to do so). "
                      "Takes effect at the next start; \"halyard --no-panel\" does the same "
                      "for one run."),
                   settings.showPanel()),
        settings, &SettingsStore::setShowPanel, &SettingsStore::showPanelChanged);

    layout->addSpacing(kSectionSpacing);
    addStartupSection(layout);
    layout->addStretch(1);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scrollable(content, this));
}

QCheckBox* SettingsGeneralTab::addToggle(QVBoxLayout* layout, const QString& name,
    const QString& label, const QString& help, bool checked)
{
    QWidget* parent = layout->parentWidget();
    auto* toggle = new QCheckBox(label, parent);
    toggle->setObjectName(name);
    toggle->setChecked(checked);
    layout->addWidget(toggle);
    if (!help.isEmpty())
        layout->addWidget(settingsform::helpLabel(help, parent));
    describe(toggle, label, help);
    return toggle;
}

QLineEdit* SettingsGeneralTab::addTextField(
    QVBoxLayout* layout, const QString& name, const QString& placeholder, const QString& text)
{
    auto* edit = new QLineEdit(text, layout->parentWidget());
    edit->setObjectName(name);
    edit->setPlaceholderText(placeholder);
    layout->addWidget(edit);
    return edit;
}

void SettingsGeneralTab::addStartupSection(QVBoxLayout* layout)
{
    QWidget* parent = layout->parentWidget();
    layout->addWidget(settingsform::sectionLabel(tr("Startup"), parent));
    m_autostartToggle = addToggle(layout, u"autostartToggle"_s, tr("Start Halyard when you log in"),
        tr("Halyard opens its panel when you log in, so alerts keep arriving after a restart."),
        m_autostart.isEnabled());
    m_autostartError = new QLabel(parent);
    m_autostartError->setObjectName(u"autostartError"_s);
    m_autostartError->setTextFormat(Qt::PlainText);
    m_autostartError->setWordWrap(true);
    m_autostartError->setFont(panelstyle::textFont(11));
    QPalette palette = m_autostartError->palette();
    palette.setColor(QPalette::WindowText, settingsform::warningColor());
    m_autostartError->setPalette(palette);
    m_autostartError->hide();
    layout->addWidget(m_autostartError);
    connect(m_autostartToggle, &QCheckBox::toggled, this, &SettingsGeneralTab::setAutostart);
}

void SettingsGeneralTab::setAutostart(bool enabled)
{
    const auto changed = m_autostart.setEnabled(enabled);
    m_autostartError->setVisible(!changed);
    if (changed)
        return;
    m_autostartError->setText(changed.error());
    const QSignalBlocker blocker(m_autostartToggle);
    m_autostartToggle->setChecked(m_autostart.isEnabled());
}

void SettingsGeneralTab::showMutes(MuteList& mutes)
{
    if (findChild<MutesView*>())
        return;
    QWidget* parent = m_mutesSlot->parentWidget();
    m_mutesSlot->addSpacing(4);
    m_mutesSlot->addWidget(settingsform::headingLabel(tr("Muted alerts:"), parent));
    m_mutesSlot->addWidget(new MutesView(mutes, parent));
}

void SettingsGeneralTab::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    const QSignalBlocker blocker(m_autostartToggle);
    m_autostartToggle->setChecked(m_autostart.isEnabled());
}

} // namespace halyard
