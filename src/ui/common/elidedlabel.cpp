#include "ui/common/elidedlabel.h"

#include "common/servertext.h"

#include <QEvent>
#include <QPainter>
#include <QTextDocument>

#include <cmath>

namespace halyard {

namespace {

// Room for a letter and the ellipsis.
constexpr int kMinimumWidth = 24;

} // namespace

QString plainToolTip(const QString& text)
{
    const QString cut = cutText(text);
    return Qt::mightBeRichText(cut) ? Qt::convertFromPlainText(cut, Qt::WhiteSpaceNormal) : cut;
}

ElidedLabel::ElidedLabel(QWidget* parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void ElidedLabel::setText(const QString& text)
{
    if (text == m_text)
        return;
    m_text = text;
    updateGeometry();
    update();
}

QSize ElidedLabel::sizeHint() const
{
    const QFontMetricsF metrics(font());
    // Rounded up: elision measures the same text and must find it fits.
    return { int(std::ceil(metrics.horizontalAdvance(m_text))) + 1, fontMetrics().height() };
}

QSize ElidedLabel::minimumSizeHint() const
{
    return { std::min(kMinimumWidth, sizeHint().width()), fontMetrics().height() };
}

void ElidedLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    const QString shown = fontMetrics().elidedText(m_text, Qt::ElideRight, width());
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, shown);
}

void ElidedLabel::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        updateGeometry();
    QWidget::changeEvent(event);
}

} // namespace halyard
