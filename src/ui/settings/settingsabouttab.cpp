#include "ui/settings/settingsabouttab.h"

#include "slack/text/accentcolor.h"
#include "ui/common/panelstyle.h"
#include "ui/settings/settingsform.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

SettingsAboutTab::SettingsAboutTab(
    const QString& versionText, bool checksForUpdates, QWidget* parent)
    : QWidget(parent)
{
    using namespace panelstyle;

    auto* wordmark = new QLabel(this);
    wordmark->setObjectName(u"wordmark"_s);
    wordmark->setFont(textFont(28, QFont::DemiBold));
    wordmark->setTextFormat(Qt::RichText);
    wordmark->setText(u"<span style=\"color:"_s + accentColor.hexName() + u"\">Hal</span>yard"_s);
    wordmark->setAccessibleName(u"Halyard"_s);

    auto* version = new QLabel(u"v"_s + versionText, this);
    version->setObjectName(u"versionLabel"_s);
    version->setTextFormat(Qt::PlainText);
    version->setFont(textFont(13));
    setTone(version, Tone::secondary);
    version->setTextInteractionFlags(Qt::TextSelectableByMouse);

    QWidget* check = nullptr;
    if (checksForUpdates) {
        auto* button = new QPushButton(tr("Check for Updates…"), this);
        connect(button, &QPushButton::clicked, this, &SettingsAboutTab::checkForUpdatesRequested);
        button->setAccessibleDescription(tr("Looks for a newer version of Halyard"));
        check = button;
        check->setObjectName(u"checkForUpdatesButton"_s);
    } else {
        auto* note = new QLabel(tr("Updates come with your package manager."), this);
        note->setFont(textFont(13));
        setTone(note, Tone::secondary);
        check = note;
        check->setObjectName(u"updatesNote"_s);
    }

    auto* tagline = new QLabel(tr("Slack alerts you have to acknowledge."), this);
    tagline->setFont(textFont(13));
    setTone(tagline, Tone::secondary);

    auto* supportTitle = new QLabel(tr("Support:"), this);
    setTone(supportTitle, Tone::secondary);
    const QString address = kSupportAddress.toString();
    // A plain button that reads as a link: one stop for Tab with a visible focus frame, where a
    // link in a label takes two and shows the first with no frame.
    auto* supportLink = new QToolButton(this);
    supportLink->setText(address);
    supportLink->setObjectName(u"supportLink"_s);
    supportLink->setAutoRaise(true);
    supportLink->setCursor(Qt::PointingHandCursor);
    QFont linkFont = supportLink->font();
    linkFont.setUnderline(true);
    supportLink->setFont(linkFont);
    setTone(supportLink, Tone::link);
    supportLink->setAccessibleName(tr("Support: %1").arg(address));
    supportLink->setAccessibleDescription(tr("Writes an email to the support address"));
    connect(supportLink, &QToolButton::clicked, this,
        [address] { QDesktopServices::openUrl(QUrl(u"mailto:"_s + address)); });
    auto* support = new QHBoxLayout;
    support->setSpacing(4);
    support->addStretch(1);
    support->addWidget(supportTitle);
    support->addWidget(supportLink);
    support->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    const int margin = settingsform::kMargin;
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->setSpacing(14);
    layout->addStretch(1);
    layout->addWidget(wordmark, 0, Qt::AlignHCenter);
    layout->addWidget(version, 0, Qt::AlignHCenter);
    layout->addWidget(check, 0, Qt::AlignHCenter);
    layout->addWidget(tagline, 0, Qt::AlignHCenter);
    layout->addWidget(makeDivider(this));
    layout->addLayout(support);
    layout->addStretch(1);
}

} // namespace halyard
