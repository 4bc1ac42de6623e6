#pragma once

#include <QAbstractButton>
#include <QWidget>

namespace halyard {

// A row of the queue: a faint background while the pointer is over it.
class HoverRow : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_hovered = false;
};

// The click area of a row: a button that paints nothing itself, its children being its face.
// Being a real button gives it press-and-release semantics and its accessible role.
class OpenArea : public QAbstractButton {
public:
    using QAbstractButton::QAbstractButton;

protected:
    void paintEvent(QPaintEvent*) override { }
};

} // namespace halyard
