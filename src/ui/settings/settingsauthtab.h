#pragma once

#include "settings/tokenvalidation.h"
#include "ui/settings/slackcontrols.h"

#include <QWidget>

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace halyard {

class SettingsStore;
class StatusDot;

// The Authentication tab: the connection state, the two token fields with advice on what was
// pasted, and Save & Connect, Test Token and Clear, whose outcome shows in one result line.
//
// Its saves, tests and clears resume after the credential store or Slack answers; each holds the
// tab weakly and ends quietly when the window has gone meanwhile.
class SettingsAuthTab : public QWidget {
    Q_OBJECT
public:
    // `demo` adds a line saying the workspace is simulated.
    SettingsAuthTab(
        SettingsStore& settings, SlackControls slack, bool demo = false, QWidget* parent = nullptr);

protected:
    // Refills the fields from the stored tokens each time the tab appears.
    void showEvent(QShowEvent* event) override;
    // Return presses a focused button, else Save & Connect, as in a dialog.
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct TokenField {
        QLineEdit* edit = nullptr;
        QLabel* warningIcon = nullptr;
        QLabel* note = nullptr;
        QString hint;
    };

    QWidget* makeTokenField(TokenField& field, const QString& label, const QString& name,
        const QString& hint, halyard::TokenField kind);
    void updateNote(const TokenField& field, halyard::TokenField kind);
    void updateConnectionRow();
    void updateButtons();
    void setResult(const std::optional<QString>& text);

    void save();
    void test();
    void clear();
    QCoro::Task<> runSave(QString botToken, QString appToken);
    QCoro::Task<> runTest(QString botToken);
    QCoro::Task<> runClear();

    SettingsStore& m_settings;
    SlackControls m_slack;
    bool m_testing = false;

    StatusDot* m_dot;
    QLabel* m_status;
    QLabel* m_workspace;
    TokenField m_bot;
    TokenField m_app;
    QPushButton* m_saveButton = nullptr;
    QPushButton* m_testButton = nullptr;
    QPushButton* m_clearButton = nullptr;
    QLabel* m_result;
};

} // namespace halyard
