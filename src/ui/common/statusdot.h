#pragma once

#include <QColor>
#include <QWidget>

namespace halyard {

// A filled circle that tells a state by its colour. The outline keeps a white fill visible on a
// light background.
class StatusDot : public QWidget {
    Q_OBJECT
public:
    StatusDot(int diameter, bool outlined, QWidget* parent = nullptr);

    const QColor& color() const { return m_color; }
    void setColor(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_color;
    bool m_outlined;
};

} // namespace halyard
