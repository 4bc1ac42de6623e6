#include "ui/common/hoverrow.h"

#include "ui/common/panelstyle.h"

#include <QPainter>

namespace halyard {

void HoverRow::enterEvent(QEnterEvent* event)
{
    m_hovered = true;
    update();
    QWidget::enterEvent(event);
}

void HoverRow::leaveEvent(QEvent* event)
{
    m_hovered = false;
    update();
    QWidget::leaveEvent(event);
}

void HoverRow::setCurrent(bool current)
{
    if (current == m_current)
        return;
    m_current = current;
    update();
}

void HoverRow::paintEvent(QPaintEvent*)
{
    if (m_hovered || m_current)
        QPainter(this).fillRect(rect(), panelstyle::toneColor(palette(), panelstyle::Tone::hover));
    if (m_current)
        paintFocusFrame(this);
}

void OpenArea::paintEvent(QPaintEvent*)
{
    if (hasFocus())
        paintFocusFrame(this);
}

void paintFocusFrame(QWidget* widget)
{
    QPainter painter(widget);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(widget->palette().color(QPalette::Highlight), 2.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(widget->rect()).adjusted(1, 1, -1, -1), 4, 4);
}

} // namespace halyard
