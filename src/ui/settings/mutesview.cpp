#include "ui/settings/mutesview.h"

#include "common/servertext.h"
#include "queue/mutelist.h"
#include "ui/common/panelstyle.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

MutesView::MutesView(MuteList& mutes, QWidget* parent)
    : QWidget(parent)
    , m_mutes(mutes)
    , m_rows(new QVBoxLayout(this))
{
    setObjectName(u"mutesView"_s);
    m_rows->setContentsMargins(0, 0, 0, 0);
    m_rows->setSpacing(4);
    connect(&mutes, &MuteList::mutesChanged, this, &MutesView::rebuild);
    rebuild();
}

void MutesView::rebuild()
{
    while (QLayoutItem* item = m_rows->takeAt(0)) {
        if (QWidget* widget = item->widget())
            widget->deleteLater();
        delete item;
    }
    if (m_mutes.mutes().isEmpty()) {
        auto* none = new QLabel(tr("No alerts are muted."), this);
        none->setObjectName(u"noMutes"_s);
        none->setFont(panelstyle::textFont(11));
        m_rows->addWidget(none);
        return;
    }
    for (const Mute& mute : m_mutes.mutes()) {
        auto* row = new QWidget(this);
        auto* line = new QHBoxLayout(row);
        line->setContentsMargins(0, 0, 0, 0);
        const QDateTime until
            = QDateTime::fromSecsSinceEpoch(qint64(mute.until) + kUnixToReferenceOffset);
        const qint64 arrived = mute.arrived;
        // Network text: plain, on one line.
        auto* label = new QLabel(
            tr("%1 · until %2 · %3 held back")
                .arg(excerpt(mute.text, 60), QLocale().toString(until.time(), QLocale::ShortFormat))
                .arg(arrived),
            row);
        label->setTextFormat(Qt::PlainText);
        label->setFont(panelstyle::textFont(11));
        auto* unmute = new QPushButton(tr("Unmute"), row);
        unmute->setObjectName(u"unmuteButton"_s);
        unmute->setAccessibleName(tr("Unmute alerts like %1").arg(excerpt(mute.text, 60)));
        const QString id = mute.id;
        connect(unmute, &QPushButton::clicked, this, [this, id] { m_mutes.unmute(id); });
        line->addWidget(label, 1);
        line->addWidget(unmute);
        m_rows->addWidget(row);
    }
}

} // namespace halyard
