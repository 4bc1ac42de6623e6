#pragma once

#include <QAbstractButton>
#include <QWidget>

namespace halyard {

// A row of the queue: a faint background while the pointer is over it, and a focus frame while
// it is the keyboard's current row.
class HoverRow : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    bool isCurrent() const { return m_current; }
    void setCurrent(bool current);

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_hovered = false;
    bool m_current = false;
};

// The click area of a row: a button whose children are its face; it paints only its focus frame.
// Being a real button gives it press-and-release semantics and its accessible role.
class OpenArea : public QAbstractButton {
public:
    using QAbstractButton::QAbstractButton;

protected:
    void paintEvent(QPaintEvent*) override;
};

// Where a row shows keyboard focus: a frame in the palette's highlight colour.
void paintFocusFrame(QWidget* widget);

} // namespace halyard
