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

void HoverRow::paintEvent(QPaintEvent*)
{
    if (m_hovered)
        QPainter(this).fillRect(rect(), panelstyle::toneColor(palette(), panelstyle::Tone::hover));
}

} // namespace halyard
