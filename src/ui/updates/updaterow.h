#pragma once

#include "ui/common/hoverrow.h"

#include <QWidget>

class QAbstractButton;
class QLabel;
class QPushButton;

namespace halyard {

// The reminder that a newer version is available, laid out like an alert row: a download glyph
// and the version form one click area that opens the update; Ack dismisses the reminder.
class UpdateRow : public HoverRow {
    Q_OBJECT
public:
    explicit UpdateRow(QWidget* parent = nullptr);

    const QString& version() const { return m_version; }
    void setVersion(const QString& version);

signals:
    void openRequested();
    void dismissRequested();

private:
    QString m_version;
    QAbstractButton* m_openArea;
    QLabel* m_text;
    QPushButton* m_ack;
};

} // namespace halyard
