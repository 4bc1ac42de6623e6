#pragma once

#include <QObject>

namespace halyard {

// The height the panel's queue list may take, published by the panel controller and read by
// the panel's root view, which caps the queue at it. Here rather than with the panel, so the
// views below the panel can read it. Observers hear of a change only when the value really
// changes.
class PanelLayout : public QObject {
    Q_OBJECT
public:
    static constexpr double kDefaultMaxQueueHeight = 400.0;

    explicit PanelLayout(QObject* parent = nullptr)
        : QObject(parent)
    {
    }

    double maxQueueHeight() const { return m_maxQueueHeight; }
    void setMaxQueueHeight(double value)
    {
        if (value == m_maxQueueHeight)
            return;
        m_maxQueueHeight = value;
        emit maxQueueHeightChanged(value);
    }

signals:
    void maxQueueHeightChanged(double value);

private:
    double m_maxQueueHeight = kDefaultMaxQueueHeight;
};

} // namespace halyard
