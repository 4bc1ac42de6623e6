#pragma once

#include "queue/alert.h"

#include <QHash>
#include <QList>
#include <QStringList>
#include <QUrl>
#include <QWidget>

#include <optional>

class QScrollArea;
class QVBoxLayout;

namespace halyard {

class AlertRow;
class AlertStore;
class SlackDirectory;
class UpdateReminderStore;
class UpdateRow;

// The queued alerts in queue order, oldest first, each row followed by a divider, in a vertical
// scroll area, and after them the update reminder while one is offered. A row lives as long as its
// alert stays queued, so hover state and the scroll position survive other alerts coming and going.
class QueueView : public QWidget {
    Q_OBJECT
public:
    // Every store must outlive the view. The update row's Ack dismisses through `updates`.
    QueueView(const AlertStore& alerts, UpdateReminderStore& updates,
        const SlackDirectory& directory, ReferenceTime now, QWidget* parent = nullptr);

    // Re-ages every row: stages are computed here from the store's aging policy.
    void setNow(ReferenceTime now);
    // The height the rows take at this width, before any cap.
    int contentHeight(int width) const;
    QList<AlertRow*> rows() const;
    // Hidden while no update is offered.
    UpdateRow* updateRow() const { return m_updateRow; }

signals:
    void acknowledgeRequested(const halyard::Alert& alert);
    void openRequested(const halyard::Alert& alert);
    void linkActivated(const QUrl& url);
    void openUpdateRequested();
    // Rows were added, removed or reordered.
    void contentChanged();

private:
    void sync();
    void syncUpdate(const std::optional<QString>& version);
    AlertRow* makeRow(const Alert& alert);

    struct Entry {
        AlertRow* row = nullptr;
        QWidget* divider = nullptr;
    };

    const AlertStore& m_alerts;
    const SlackDirectory& m_directory;
    ReferenceTime m_now;
    QScrollArea* m_scroll;
    QWidget* m_content;
    QVBoxLayout* m_column;
    UpdateRow* m_updateRow;
    QHash<QString, Entry> m_entries;
    // The ids in the order the column shows them.
    QStringList m_order;
};

} // namespace halyard
