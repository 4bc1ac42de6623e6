#include "ui/settings/settingswindow.h"

#include "ui/settings/settingsabouttab.h"
#include "ui/settings/settingsagingtab.h"
#include "ui/settings/settingsauthtab.h"
#include "ui/settings/settingsform.h"
#include "ui/settings/settingsgeneraltab.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

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
    m_tabs->tabBar()->setObjectName(u"settingsTabBar"_s);

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

    // The tab widget turns Ctrl+Tab itself; Ctrl+Page Down and Up are the other common keys.
    const auto step = [this](int by) {
        m_tabs->setCurrentIndex((m_tabs->currentIndex() + by + m_tabs->count()) % m_tabs->count());
    };
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageDown), this), &QShortcut::activated,
        this, [step] { step(1); });
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageUp), this), &QShortcut::activated,
        this, [step] { step(-1); });
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
        &QWidget::close);
}

void SettingsWindow::showMutes(MuteList& mutes)
{
    if (auto* general = m_tabs->findChild<SettingsGeneralTab*>())
        general->showMutes(mutes);
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

void SettingsWindow::keyPressEvent(QKeyEvent* event)
{
    auto* button = qobject_cast<QAbstractButton*>(QApplication::focusWidget());
    if ((event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        || (event->modifiers() & ~Qt::KeypadModifier) || !button || !isAncestorOf(button))
        return QWidget::keyPressEvent(event);
    button->animateClick();
    event->accept();
}

void SettingsWindow::closeEvent(QCloseEvent* event)
{
    // Ignored and hidden rather than closed, so the last-window-closed rule never ends the
    // program from here.
    event->ignore();
    hide();
}

} // namespace halyard
