#include "ui/updates/updatedialog.h"

#include "common/servertext.h"
#include "ui/common/linkopener.h"
#include "ui/common/panelstyle.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {
constexpr int kWidth = 380;
} // namespace

UpdateDialog::UpdateDialog(QString currentVersion, UrlOpener opener, QWidget* parent)
    : QDialog(parent)
    , m_currentVersion(std::move(currentVersion))
    , m_opener(opener ? std::move(opener) : [](const QUrl& url) { QDesktopServices::openUrl(url); })
    , m_title(new QLabel(this))
    , m_message(new QLabel(this))
    , m_releaseNotes(new QLabel(this))
    , m_download(new QPushButton(tr("Open Download Page"), this))
{
    using namespace panelstyle;

    setWindowTitle(tr("Software Update"));
    setFixedWidth(kWidth);
    m_title->setObjectName(u"updateTitle"_s);
    m_message->setObjectName(u"updateMessage"_s);
    m_releaseNotes->setObjectName(u"releaseNotesLink"_s);
    m_download->setObjectName(u"downloadButton"_s);

    // The version and the error come from the feed and its server: plain text, however they look.
    m_title->setFont(textFont(15, QFont::DemiBold));
    m_title->setTextFormat(Qt::PlainText);
    m_title->setWordWrap(true);
    m_message->setTextFormat(Qt::PlainText);
    m_message->setWordWrap(true);
    // Clipped, not widening the dialog, where a word is too long to wrap.
    m_title->setMinimumWidth(1);
    m_message->setMinimumWidth(1);
    m_message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_releaseNotes->setTextFormat(Qt::RichText);
    m_releaseNotes->setTextInteractionFlags(
        Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    // The stored address is opened, not the label's text of it.
    connect(m_releaseNotes, &QLabel::linkActivated, this, [this] {
        if (LinkOpener::isWebLink(m_releaseNotesPage))
            m_opener(m_releaseNotesPage);
    });

    auto* close = new QPushButton(tr("Close"), this);
    close->setObjectName(u"closeButton"_s);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_download, &QPushButton::clicked, this, [this] {
        if (LinkOpener::isWebLink(m_downloadPage))
            m_opener(m_downloadPage);
        accept();
    });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close);
    buttons->addWidget(m_download);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 16);
    layout->setSpacing(10);
    layout->addWidget(m_title);
    layout->addWidget(m_message);
    layout->addWidget(m_releaseNotes);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    showChecking();
}

void UpdateDialog::setContent(const QString& title, const QString& message)
{
    m_title->setText(title);
    m_message->setText(message);
    m_message->setVisible(!message.isEmpty());
    m_releaseNotes->hide();
    m_download->hide();
    m_download->setDefault(false);
    fitHeight();
}

void UpdateDialog::fitHeight()
{
    // A window does not follow the height its wrapped text needs at its fixed width by itself.
    layout()->activate();
    resize(kWidth, layout()->totalHeightForWidth(kWidth));
}

void UpdateDialog::showChecking()
{
    setContent(tr("Checking for updates…"), QString());
}

void UpdateDialog::showUpdate(
    const QString& version, const QUrl& downloadPage, const QUrl& releaseNotes)
{
    setContent(tr("Halyard %1 is available").arg(excerpt(version, kVersionTextLimit)),
        tr("You have version %1. Download the new version and install it the way you installed "
           "this one.")
            .arg(m_currentVersion));
    // The feed names the links: only web pages are opened, never a file or another program.
    m_downloadPage = LinkOpener::isWebLink(downloadPage) ? downloadPage : QUrl();
    m_download->setVisible(!m_downloadPage.isEmpty());
    m_download->setDefault(true);
    m_releaseNotesPage = LinkOpener::isWebLink(releaseNotes) ? releaseNotes : QUrl();
    if (!m_releaseNotesPage.isEmpty()) {
        m_releaseNotes->setText(u"<a href=\"%1\">%2</a>"_s.arg(
            QString::fromUtf8(releaseNotes.toEncoded()).toHtmlEscaped(),
            tr("Release notes").toHtmlEscaped()));
        m_releaseNotes->show();
    }
    fitHeight();
}

void UpdateDialog::showNewest()
{
    setContent(tr("Halyard %1 is the newest version.").arg(m_currentVersion), QString());
}

void UpdateDialog::showError(const QString& error)
{
    setContent(tr("The update check failed"), cutText(error));
}

} // namespace halyard
