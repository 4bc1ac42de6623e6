#include "ui/settings/settingsauthtab.h"

#include "common/servertext.h"
#include "settings/keychainerror.h"
#include "settings/settingsstore.h"
#include "ui/common/panelstyle.h"
#include "ui/common/statusdot.h"
#include "ui/settings/settingsform.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

// Outside any namespace, as Q_INIT_RESOURCE requires.
static void initManifestResource()
{
    Q_INIT_RESOURCE(slackappmanifest);
}

namespace halyard {

namespace {

constexpr int kDotDiameter = 10;
constexpr int kWarningIconSize = 12;

QString statusText(const ConnectionState& state)
{
    switch (state.kind()) {
    case ConnectionState::Kind::connected:
        return SettingsAuthTab::tr("Connected");
    case ConnectionState::Kind::connecting:
        return SettingsAuthTab::tr("Connecting…");
    case ConnectionState::Kind::disconnected:
        return SettingsAuthTab::tr("Disconnected");
    case ConnectionState::Kind::error:
        return excerpt(SettingsAuthTab::tr("Error: %1").arg(problemText(state.problem())));
    }
    return {};
}

QString testResultText(const TokenTestResult& result)
{
    if (!result)
        return u"✗ "_s + problemText(result.error());
    return SettingsAuthTab::tr("✓ %1 as @%2")
        .arg(result->team.value_or(u"?"_s), result->user.value_or(u"?"_s));
}

QStringList setupSteps()
{
    return {
        SettingsAuthTab::tr(
            "1. https://api.slack.com/apps → Create New App → From an app manifest (Copy "
            "manifest, then paste it), or From scratch"),
        SettingsAuthTab::tr("2. Socket Mode → enable, generate xapp- token (connections:write)"),
        SettingsAuthTab::tr(
            "3. OAuth & Permissions → add bot scopes: channels:history, groups:history, "
            "channels:read, groups:read, users:read, reactions:write, reactions:read → install to "
            "workspace, copy xoxb-"),
        SettingsAuthTab::tr(
            "4. Event Subscriptions → enable → subscribe to message.channels, message.groups, "
            "reaction_added"),
        SettingsAuthTab::tr("5. /invite @YourBot in channels to monitor"),
    };
}

} // namespace

SettingsAuthTab::SettingsAuthTab(
    SettingsStore& settings, SlackControls slack, bool demo, QWidget* parent)
    : QWidget(parent)
    , m_settings(settings)
    , m_slack(std::move(slack))
    , m_dot(new StatusDot(kDotDiameter, false, this))
    , m_status(new QLabel(this))
    , m_workspace(new QLabel(this))
    , m_result(new QLabel(this))
{
    using namespace panelstyle;
    using namespace settingsform;

    // Made in the order the keyboard visits them, top to bottom.
    QWidget* botField = makeTokenField(m_bot, tr("Bot User OAuth Token"), u"botToken"_s,
        tr("OAuth & Permissions → Bot User OAuth Token (xoxb-…)"), halyard::TokenField::bot);
    QWidget* appField = makeTokenField(m_app, tr("App-Level Token (Socket Mode)"), u"appToken"_s,
        tr("Basic Information → App-Level Tokens, with scope connections:write (xapp-…)"),
        halyard::TokenField::app);
    m_saveButton = new QPushButton(tr("Save && Connect"), this);
    m_testButton = new QPushButton(this);
    m_clearButton = new QPushButton(tr("Clear"), this);

    m_dot->setObjectName(u"connectionDot"_s);
    m_status->setObjectName(u"connectionStatus"_s);
    m_workspace->setObjectName(u"connectionWorkspace"_s);
    m_saveButton->setObjectName(u"saveButton"_s);
    m_testButton->setObjectName(u"testButton"_s);
    m_clearButton->setObjectName(u"clearButton"_s);
    m_result->setObjectName(u"resultLabel"_s);

    // Slack's and proxies' words, the workspace's and the bot's names: shown as they are, wrapped,
    // and clipped rather than widening the window where a word is too long to wrap.
    for (QLabel* label : { m_status, m_workspace }) {
        label->setFont(textFont(13));
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setMinimumWidth(1);
    }
    setTone(m_workspace, Tone::secondary);
    auto* connectionRow = new QHBoxLayout;
    connectionRow->setSpacing(6);
    connectionRow->addWidget(m_dot, 0, Qt::AlignVCenter);
    connectionRow->addWidget(m_status);
    connectionRow->addWidget(m_workspace, 1);

    // Return saves, as a dialog's default button would (keyPressEvent).
    m_saveButton->setDefault(true);
    m_saveButton->setAccessibleDescription(tr("Stores both tokens and connects to Slack"));
    m_testButton->setAccessibleDescription(
        tr("Asks Slack whether the bot token works, without storing it"));
    m_clearButton->setAccessibleDescription(tr("Deletes both stored tokens and disconnects"));
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addWidget(m_saveButton);
    buttons->addWidget(m_testButton);
    buttons->addWidget(m_clearButton);
    buttons->addStretch(1);

    m_result->setFont(textFont(11));
    setTone(m_result, Tone::secondary);
    m_result->setTextFormat(Qt::PlainText);
    m_result->setWordWrap(true);
    m_result->setMinimumWidth(1);
    m_result->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_result->hide();

    auto* steps = new QVBoxLayout;
    steps->setSpacing(3);
    auto* stepsHeading = new QLabel(tr("Setup steps"), this);
    stepsHeading->setFont(textFont(11));
    setTone(stepsHeading, Tone::secondary);
    steps->addWidget(stepsHeading);
    const QStringList stepTexts = setupSteps();
    for (qsizetype i = 0; i < stepTexts.size(); ++i) {
        QLabel* line = helpLabel(stepTexts[i], this);
        line->setTextInteractionFlags(Qt::TextSelectableByMouse);
        if (i != 0) {
            steps->addWidget(line);
            continue;
        }
        // The manifest goes with the step that pastes it: the installed program has no source
        // folder to copy it from.
        auto* copy = new QPushButton(tr("Copy manifest"), this);
        copy->setObjectName(u"copyManifestButton"_s);
        copy->setAccessibleDescription(
            tr("Copies the Slack app manifest, to paste when creating the app"));
        auto* copied = helpLabel(tr("Copied — paste it into Slack's manifest box."), this);
        copied->setObjectName(u"manifestCopiedLabel"_s);
        copied->hide();
        connect(copy, &QPushButton::clicked, copied, [copied] {
            initManifestResource();
            QFile manifest(u":/slack-app-manifest.json"_s);
            if (!manifest.open(QIODevice::ReadOnly))
                return;
            QGuiApplication::clipboard()->setText(QString::fromUtf8(manifest.readAll()));
            copied->show();
        });
        auto* row = new QHBoxLayout;
        row->setSpacing(8);
        row->addWidget(line, 1);
        row->addWidget(copy, 0, Qt::AlignTop);
        steps->addLayout(row);
        steps->addWidget(copied);
    }

    auto* content = new QWidget(this);
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    layout->setSpacing(14);
    layout->addLayout(connectionRow);
    if (demo) {
        QLabel* note = helpLabel(
            tr("Demo mode: a simulated workspace on this computer; nothing here reaches Slack."),
            this);
        note->setObjectName(u"demoNote"_s);
        layout->addWidget(note);
    }
    layout->addWidget(botField);
    layout->addWidget(appField);
    layout->addLayout(buttons);
    layout->addWidget(m_result);
    layout->addLayout(steps);
    layout->addStretch(1);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scrollable(content, this));

    connect(m_saveButton, &QPushButton::clicked, this, &SettingsAuthTab::save);
    connect(m_testButton, &QPushButton::clicked, this, &SettingsAuthTab::test);
    connect(m_clearButton, &QPushButton::clicked, this, &SettingsAuthTab::clear);
    connect(&settings, &SettingsStore::cachedTokensChanged, this, &SettingsAuthTab::updateButtons);
    connect(&settings, &SettingsStore::connectionStateChanged, this,
        &SettingsAuthTab::updateConnectionRow);
    connect(
        &settings, &SettingsStore::teamNameChanged, this, &SettingsAuthTab::updateConnectionRow);
    connect(
        &settings, &SettingsStore::botUserNameChanged, this, &SettingsAuthTab::updateConnectionRow);

    updateConnectionRow();
    updateButtons();
}

QWidget* SettingsAuthTab::makeTokenField(TokenField& field, const QString& label,
    const QString& name, const QString& hint, halyard::TokenField kind)
{
    auto* box = new QWidget(this);
    field.edit = new QLineEdit(box);
    field.edit->setObjectName(name + u"Field"_s);
    field.edit->setEchoMode(QLineEdit::Password);
    field.edit->setPlaceholderText(label);
    field.edit->setAccessibleName(label);
    field.edit->setAccessibleDescription(hint);
    field.warningIcon = new QLabel(box);
    field.warningIcon->setObjectName(name + u"WarningIcon"_s);
    QIcon icon = settingsform::themeIcon(u"dialog-warning"_s);
    if (icon.isNull())
        icon = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    field.warningIcon->setPixmap(icon.pixmap(kWarningIconSize, kWarningIconSize));
    field.note = new QLabel(box);
    field.note->setObjectName(name + u"Note"_s);
    field.note->setTextFormat(Qt::PlainText);
    field.note->setWordWrap(true);
    field.note->setFont(panelstyle::textFont(11));
    field.hint = hint;

    auto* noteRow = new QHBoxLayout;
    noteRow->setSpacing(4);
    noteRow->addWidget(field.warningIcon, 0, Qt::AlignTop);
    noteRow->addWidget(field.note, 1);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(settingsform::headingLabel(label, box));
    layout->addWidget(field.edit);
    layout->addLayout(noteRow);

    connect(field.edit, &QLineEdit::textChanged, this, [this, &field, kind] {
        updateNote(field, kind);
        updateButtons();
    });
    updateNote(field, kind);
    return box;
}

void SettingsAuthTab::updateNote(const TokenField& field, halyard::TokenField kind)
{
    const std::optional<QString> warning = tokenValidationMessage(field.edit->text(), kind);
    field.warningIcon->setVisible(warning.has_value());
    field.note->setText(warning.value_or(field.hint));
    field.edit->setAccessibleDescription(warning.value_or(field.hint));
    if (warning)
        panelstyle::setFixedTextColor(field.note, settingsform::warningColor());
    else
        panelstyle::setTone(field.note, panelstyle::Tone::secondary);
}

void SettingsAuthTab::updateConnectionRow()
{
    const ConnectionState& state = m_settings.connectionState();
    m_dot->setColor(panelstyle::connectionColor(state.kind()));
    m_status->setText(statusText(state));
    const auto& team = m_settings.teamName();
    const auto& bot = m_settings.botUserName();
    const bool named = state.kind() == ConnectionState::Kind::connected && team && bot;
    m_workspace->setText(named ? excerpt(tr("· %1 as @%2").arg(*team, *bot)) : QString());
    m_workspace->setVisible(named);
}

void SettingsAuthTab::updateButtons()
{
    // Spaces count as filled: saving them is the user's call, and the warnings said so.
    const bool hasBot = !m_bot.edit->text().isEmpty();
    m_saveButton->setEnabled(hasBot && !m_app.edit->text().isEmpty());
    m_testButton->setEnabled(hasBot && !m_testing);
    m_testButton->setText(m_testing ? tr("Testing…") : tr("Test Token"));
    m_clearButton->setEnabled(m_settings.cachedTokens().has_value());
}

void SettingsAuthTab::setResult(const std::optional<QString>& text)
{
    // Errors carry what a server answered, which may be a whole page.
    m_result->setText(cutText(text.value_or(QString())));
    m_result->setVisible(text.has_value());
}

void SettingsAuthTab::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (const auto& tokens = m_settings.cachedTokens()) {
        m_bot.edit->setText(tokens->botToken);
        m_app.edit->setText(tokens->appToken);
    }
}

void SettingsAuthTab::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        || (event->modifiers() & ~Qt::KeypadModifier))
        return QWidget::keyPressEvent(event);
    auto* focused = qobject_cast<QPushButton*>(QApplication::focusWidget());
    QPushButton* button = focused && isAncestorOf(focused) ? focused : m_saveButton;
    if (button->isEnabled())
        button->animateClick();
    event->accept();
}

void SettingsAuthTab::save()
{
    if (!m_saveButton->isEnabled())
        return;
    const QString botToken = m_bot.edit->text().trimmed();
    const QString appToken = m_app.edit->text().trimmed();
    m_bot.edit->setText(botToken);
    m_app.edit->setText(appToken);
    runSave(botToken, appToken);
}

void SettingsAuthTab::test()
{
    if (!m_slack.testToken)
        return;
    m_testing = true;
    updateButtons();
    runTest(m_bot.edit->text());
}

void SettingsAuthTab::clear()
{
    runClear();
}

QCoro::Task<> SettingsAuthTab::runSave(QString botToken, QString appToken)
{
    const QPointer<SettingsAuthTab> self(this);
    const auto saved = co_await m_settings.saveTokens(std::move(botToken), std::move(appToken));
    if (!self)
        co_return;
    if (!saved) {
        setResult(tr("Save failed: %1 — %2")
                      .arg(problemText(saved.error().problem()), KeychainError::serviceHint()));
        co_return;
    }
    if (m_slack.disconnect)
        m_slack.disconnect();
    if (m_slack.connect)
        m_slack.connect();
    setResult(std::nullopt);
}

QCoro::Task<> SettingsAuthTab::runTest(QString botToken)
{
    const QPointer<SettingsAuthTab> self(this);
    // A copy, so the call it started stays valid if the window goes meanwhile.
    const SlackControls::TokenTester tester = m_slack.testToken;
    const auto result = co_await tester(std::move(botToken));
    if (!self)
        co_return;
    m_testing = false;
    setResult(testResultText(result));
    updateButtons();
}

QCoro::Task<> SettingsAuthTab::runClear()
{
    const QPointer<SettingsAuthTab> self(this);
    const auto cleared = co_await m_settings.clearTokens();
    if (!self)
        co_return;
    if (!cleared) {
        setResult(tr("Clear failed: %1 — %2")
                      .arg(problemText(cleared.error().problem()), KeychainError::serviceHint()));
        co_return;
    }
    if (m_slack.disconnect)
        m_slack.disconnect();
    m_bot.edit->clear();
    m_app.edit->clear();
    setResult(tr("Tokens cleared."));
}

} // namespace halyard
