#include "ui/settings/settingsgeneraltab.h"

#include "settings/settingsstore.h"
#include "ui/common/panelstyle.h"
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

} // namespace

QString SettingsGeneralTab::prefixExample(const QString& prefix)
{
    return u"Example: \""_s + prefix
        + u" refill your water bottle\" in a monitored Slack channel becomes an alert reading "
          u"\"refill your water bottle\"."_s;
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

    layout->addWidget(sectionLabel(u"Filtering"_s, content));
    bindToggle(addToggle(layout, u"botsOnlyToggle"_s, u"Only surface messages from bots and apps"_s,
                   u"By default Halyard ignores messages from human users so chatter doesn't pile "
                   u"up in the queue. Uncheck to also enqueue messages from teammates."_s,
                   settings.botsOnly()),
        settings, &SettingsStore::setBotsOnly, &SettingsStore::botsOnlyChanged);
    layout->addSpacing(4);
    layout->addWidget(headingLabel(u"Trigger prefix"_s, content));
    QLineEdit* prefix
        = addTextField(layout, u"triggerPrefixField"_s, u"halyard:"_s, settings.triggerPrefix());
    bindText(
        prefix, settings, &SettingsStore::setTriggerPrefix, &SettingsStore::triggerPrefixChanged);
    layout->addWidget(helpLabel(u"Any message starting with this prefix is added to the queue "
                                u"regardless of who sent it. The prefix is stripped from the "
                                u"displayed text. Leave blank to disable."_s,
        content));
    QLabel* example = helpLabel(QString(), content);
    example->setObjectName(u"prefixExample"_s);
    example->setTextFormat(Qt::PlainText);
    example->setText(prefixExample(settings.triggerPrefix()));
    layout->addWidget(example);
    connect(&settings, &SettingsStore::triggerPrefixChanged, example,
        [example](const QString& value) { example->setText(prefixExample(value)); });

    layout->addSpacing(kSectionSpacing);
    layout->addWidget(sectionLabel(u"Notifications"_s, content));
    bindToggle(
        addToggle(layout, u"notificationsToggle"_s,
            u"Show a system banner when a new alert arrives"_s,
            u"Banners appear where your desktop shows notifications and dismiss themselves. No "
            u"sound by default "
            u"— add one in your desktop's notification settings (GNOME Settings → Notifications → "
            u"Halyard, or KDE System Settings → Notifications) if you want it. Banners fire only "
            u"for new live alerts, not for messages caught up by backfill after a disconnect."_s,
            settings.notificationsEnabled()),
        settings, &SettingsStore::setNotificationsEnabled,
        &SettingsStore::notificationsEnabledChanged);

    layout->addSpacing(kSectionSpacing);
    layout->addWidget(sectionLabel(u"Ack-back to Slack"_s, content));
    bindToggle(addToggle(layout, u"ackBackToggle"_s,
                   u"Add a reaction to the original Slack message when I Ack"_s,
                   u"When you click Ack, Halyard adds an emoji reaction to the source message so "
                   u"anyone else in the channel can see it's been handled."_s,
                   settings.ackBackEnabled()),
        settings, &SettingsStore::setAckBackEnabled, &SettingsStore::ackBackEnabledChanged);
    layout->addSpacing(4);
    layout->addWidget(headingLabel(u"Emoji shortcode:"_s, content));
    QLineEdit* emoji = addTextField(
        layout, u"ackBackEmojiField"_s, u"white_check_mark"_s, settings.ackBackEmoji());
    emoji->setMaximumWidth(kEmojiFieldMaxWidth);
    bindText(emoji, settings, &SettingsStore::setAckBackEmoji, &SettingsStore::ackBackEmojiChanged);
    layout->addWidget(helpLabel(
        u"Without colons — e.g. `white_check_mark`, `eyes`, `thumbsup`, `large_green_circle`. "
        u"Requires the `reactions:write` bot scope. If you set up Halyard before this feature, "
        u"see Authentication for the updated scope list and reinstall the app."_s,
        content));
    layout->addSpacing(4);
    bindToggle(
        addToggle(layout, u"teamSharedAckToggle"_s,
            u"Also clear my queue when this reaction lands in Slack"_s,
            u"When the configured emoji is added to a source message in Slack — whether by you on "
            u"another computer, by a teammate, or by you manually in the Slack client — the "
            u"matching alert clears from this device's queue too. Keeps your queue in sync across "
            u"all your computers and across your team. Requires the `reactions:read` bot scope "
            u"and a `reaction_added` event subscription."_s,
            settings.teamSharedAckEnabled()),
        settings, &SettingsStore::setTeamSharedAckEnabled,
        &SettingsStore::teamSharedAckEnabledChanged);

    layout->addSpacing(kSectionSpacing);
    layout->addWidget(sectionLabel(u"Placement"_s, content));
    bindToggle(
        addToggle(layout, u"snapToggle"_s, u"Snap to the top of the screen when dragging close"_s,
            u"When the panel gets within ~50px of the top of the screen while dragging up, "
            u"it snaps flush under the top bar. Makes flush placement easier to hit. Turn "
            u"off if you want fine-grained control over the panel's distance from the top "
            u"of the screen."_s,
            settings.snapToMenuBar()),
        settings, &SettingsStore::setSnapToMenuBar, &SettingsStore::snapToMenuBarChanged);

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
    layout->addWidget(settingsform::sectionLabel(u"Startup"_s, parent));
    m_autostartToggle = addToggle(layout, u"autostartToggle"_s, u"Start Halyard when you log in"_s,
        u"Halyard opens its panel when you log in, so alerts keep arriving after a restart."_s,
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

void SettingsGeneralTab::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    const QSignalBlocker blocker(m_autostartToggle);
    m_autostartToggle->setChecked(m_autostart.isEnabled());
}

} // namespace halyard
