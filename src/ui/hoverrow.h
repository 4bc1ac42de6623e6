#pragma once

#include <QWidget>

namespace halyard {

// A row of the queue: a faint background while the pointer is over it.
class HoverRow : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    bool isHovered() const { return m_hovered; }

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_hovered = false;
};

} // namespace halyard
