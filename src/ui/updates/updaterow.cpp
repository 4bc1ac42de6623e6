#include "ui/updates/updaterow.h"

#include "common/servertext.h"
#include "ui/common/panelstyle.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

constexpr int kGlyphSize = 12;

// A filled circle in the secondary tone with a down arrow cut out of it: the same picture in
// every icon theme, and none needed.
class DownloadGlyph : public QWidget {
public:
    explicit DownloadGlyph(QWidget* parent)
        : QWidget(parent)
    {
        setFixedSize(kGlyphSize, kGlyphSize);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        using namespace panelstyle;
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        painter.setPen(Qt::NoPen);
        painter.setBrush(toneColor(palette(), Tone::secondary));
        painter.drawEllipse(box);
        const QPointF c = box.center();
        const qreal s = box.width() / 12.0;
        QPen pen(
            palette().color(QPalette::Window), 1.4 * s, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        painter.setPen(pen);
        painter.drawLine(QPointF(c.x(), c.y() - 3.2 * s), QPointF(c.x(), c.y() + 3 * s));
        QPainterPath head;
        head.moveTo(c.x() - 2.6 * s, c.y() + 0.6 * s);
        head.lineTo(c.x(), c.y() + 3.2 * s);
        head.lineTo(c.x() + 2.6 * s, c.y() + 0.6 * s);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(head);
    }
};

} // namespace

UpdateRow::UpdateRow(QWidget* parent)
    : HoverRow(parent)
    , m_openArea(new OpenArea(this))
    , m_text(new QLabel)
    , m_ack(new QPushButton(tr("Ack"), this))
{
    using namespace panelstyle;

    m_openArea->setObjectName(u"updateOpenArea"_s);
    m_text->setObjectName(u"updateText"_s);
    m_ack->setObjectName(u"updateAckButton"_s);

    m_openArea->setToolTip(tr("View and install the update"));
    m_openArea->setAccessibleDescription(tr("View and install the update"));
    m_openArea->setCursor(Qt::PointingHandCursor);
    // Reached with Tab once the panel has the keyboard; a click leaves the keyboard alone.
    m_openArea->setFocusPolicy(Qt::TabFocus);
    m_openArea->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_text->setFont(textFont(12));
    m_text->setTextFormat(Qt::PlainText);
    // A long version is clipped; the panel keeps its width.
    m_text->setMinimumWidth(1);

    auto* area = new QHBoxLayout(m_openArea);
    area->setContentsMargins(0, 0, 0, 0);
    area->setSpacing(8);
    area->addWidget(new DownloadGlyph(m_openArea), 0, Qt::AlignVCenter);
    area->addWidget(m_text, 1, Qt::AlignVCenter);

    m_ack->setFont(textFont(11));
    m_ack->setFixedSize(m_ack->fontMetrics().horizontalAdvance(m_ack->text()) + 20, 22);
    m_ack->setFocusPolicy(Qt::TabFocus);
    m_ack->setToolTip(tr("Dismiss this update reminder"));
    m_ack->setAccessibleName(tr("Dismiss this update reminder"));
    m_ack->setAccessibleDescription(tr("Stops the reminder for this version"));

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(10, 8, 10, 8);
    row->setSpacing(8);
    row->addWidget(m_openArea, 1, Qt::AlignVCenter);
    row->addWidget(m_ack, 0, Qt::AlignVCenter);

    connect(m_openArea, &QAbstractButton::clicked, this, &UpdateRow::openRequested);
    connect(m_ack, &QPushButton::clicked, this, &UpdateRow::dismissRequested);
}

void UpdateRow::setVersion(const QString& version)
{
    m_version = version;
    // The version is the feed's word: one short line of plain text.
    m_text->setText(tr("Update available - Halyard %1").arg(excerpt(version, kVersionTextLimit)));
    m_openArea->setAccessibleName(m_text->text());
}

} // namespace halyard
