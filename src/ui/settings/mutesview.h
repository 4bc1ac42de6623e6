#pragma once

#include <QWidget>

class QVBoxLayout;

namespace halyard {

class MuteList;

// The active mutes, one line each ("#channel · text · until 14:05") with an "Unmute" button, kept
// current as mutes come and go. Empty, it says so.
class MutesView : public QWidget {
    Q_OBJECT
public:
    // The list must outlive the view.
    explicit MutesView(MuteList& mutes, QWidget* parent = nullptr);

private:
    void rebuild();

    MuteList& m_mutes;
    QVBoxLayout* m_rows;
};

} // namespace halyard
