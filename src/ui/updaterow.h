#pragma once

#include <QWidget>

class QAbstractButton;
class QLabel;
class QPushButton;

namespace halyard {

// The reminder that a newer version is available, laid out like an alert row: a download glyph
// and the version form one click area that opens the update; Ack dismisses the reminder.
class UpdateRow : public QWidget {
    Q_OBJECT
public:
    explicit UpdateRow(QWidget* parent = nullptr);

    const QString& version() const { return m_version; }
    void setVersion(const QString& version);
    bool isHovered() const { return m_hovered; }

signals:
    void openRequested();
    void dismissRequested();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_version;
    bool m_hovered = false;
    QAbstractButton* m_openArea;
    QLabel* m_text;
    QPushButton* m_ack;
};

} // namespace halyard
