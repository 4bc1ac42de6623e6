#include "ui/common/statusdot.h"

#include "ui/common/panelstyle.h"

#include <QPainter>

namespace halyard {

StatusDot::StatusDot(int diameter, bool outlined, QWidget* parent)
    : QWidget(parent)
    , m_outlined(outlined)
{
    setFixedSize(diameter, diameter);
}

void StatusDot::setColor(const QColor& color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
}

void StatusDot::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(m_color);
    if (m_outlined)
        painter.setPen(QPen(panelstyle::toneColor(palette(), panelstyle::Tone::outline), 0.5));
    else
        painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRectF(rect()).adjusted(0.25, 0.25, -0.25, -0.25));
}

} // namespace halyard
