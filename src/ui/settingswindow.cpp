#include "ui/settingswindow.h"

#include "slack/webapi/slackwebapi.h"
#include "ui/panelstyle.h"
#include "ui/settingsabouttab.h"
#include "ui/settingsagingtab.h"
#include "ui/settingsauthtab.h"
#include "ui/settingsgeneraltab.h"

#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QLabel>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

// A coroutine of its own rather than a capturing lambda: the frame keeps the API object alive
// until the answer arrives.
QCoro::Task<SlackResult<webapi::AuthTestResponse>> runAuthTest(
    QNetworkAccessManager* network, QUrl baseUrl, QString botToken)
{
    const SlackWebAPI api(network, std::move(baseUrl));
    co_return co_await api.authTest(std::move(botToken));
}

} // namespace

SlackControls::TokenTester SlackControls::webApiTokenTester(
    QNetworkAccessManager* network, QUrl baseUrl)
{
    return [network, baseUrl](
               QString botToken) { return runAuthTest(network, baseUrl, std::move(botToken)); };
}

QString versionText(const QString& shortVersion, const QString& buildNumber)
{
    const QString version = shortVersion.isEmpty() ? u"?"_s : shortVersion;
    if (buildNumber.isEmpty() || buildNumber == version)
        return version;
    return version + u" ("_s + buildNumber + u')';
}

SettingsWindow::SettingsWindow(
    SettingsStore& settings, SlackControls slack, ProgramInfo program, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_tabs(new QTabWidget(this))
{
    using settingsform::themeIcon;

    setWindowTitle(tr("Halyard Settings"));
    setObjectName(u"settingsWindow"_s);
    setFixedSize(kWidth, kHeight);
    m_tabs->setObjectName(u"settingsTabs"_s);
    m_tabs->setDocumentMode(true);

    auto* about = new SettingsAboutTab(
        versionText(program.shortVersion, program.buildNumber), program.checksForUpdates);
    // Insertion order is the Tab order.
    m_tabs->addTab(new SettingsAuthTab(settings, std::move(slack), program.demo),
        themeIcon(u"dialog-password"_s), tr("Authentication"));
    m_tabs->addTab(
        new SettingsGeneralTab(
            settings, Autostart(std::move(program.autostartFolder), std::move(program.executable))),
        themeIcon(u"preferences-system"_s), tr("General"));
    m_tabs->addTab(new SettingsAgingTab(settings), themeIcon(u"appointment-soon"_s), tr("Aging"));
    m_tabs->addTab(about, themeIcon(u"help-about"_s), tr("About"));
    connect(about, &SettingsAboutTab::checkForUpdatesRequested, this,
        &SettingsWindow::checkForUpdatesRequested);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_tabs);
    selectTab(Tab::authentication);
}

SettingsWindow::Tab SettingsWindow::currentTab() const
{
    return static_cast<Tab>(m_tabs->currentIndex());
}

void SettingsWindow::selectTab(Tab tab)
{
    m_tabs->setCurrentIndex(static_cast<int>(tab));
}

void SettingsWindow::showTab(Tab tab)
{
    selectTab(tab);
    show();
    raise();
    activateWindow();
}

QPixmap SettingsWindow::grabTab(Tab tab)
{
    selectTab(tab);
    // Layout requests are posted, and a nested layout that changes size posts one to its
    // parent: let them settle before painting.
    for (int round = 0; round < 3; ++round)
        QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    return grab();
}

void SettingsWindow::closeEvent(QCloseEvent* event)
{
    // Ignored and hidden rather than closed, so the last-window-closed rule never ends the
    // program from here.
    event->ignore();
    hide();
}

namespace settingsform {

QColor warningColor()
{
    return QColor(0xff, 0x95, 0x00);
}

QIcon themeIcon(const QString& name)
{
    const QIcon icon = QIcon::fromTheme(name);
    return icon.isNull() ? QIcon::fromTheme(name + u"-symbolic"_s) : icon;
}

QLabel* helpLabel(const QString& text, QWidget* parent)
{
    // Backticks mark code words; everything else is plain text.
    QString html;
    const QStringList parts = text.split(u'`');
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString escaped = parts.at(i).toHtmlEscaped();
        html += i % 2 == 1 ? u"<code>"_s + escaped + u"</code>"_s : escaped;
    }
    auto* label = new QLabel(html, parent);
    label->setTextFormat(Qt::RichText);
    label->setWordWrap(true);
    label->setFont(panelstyle::textFont(11));
    panelstyle::setTone(label, panelstyle::Tone::secondary);
    return label;
}

QLabel* headingLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(panelstyle::textFont(12, QFont::Medium));
    return label;
}

QLabel* sectionLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text.toUpper(), parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(panelstyle::textFont(11, QFont::DemiBold));
    panelstyle::setTone(label, panelstyle::Tone::secondary);
    return label;
}

QWidget* scrollable(QWidget* content, QWidget* parent)
{
    auto* area = new QScrollArea(parent);
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setWidget(content);
    // The content keeps the window's background instead of the view's base colour.
    area->viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
    return area;
}

} // namespace settingsform

} // namespace halyard
