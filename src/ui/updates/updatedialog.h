#pragma once

#include <QDialog>
#include <QUrl>

#include <functional>

class QLabel;
class QPushButton;

namespace halyard {

// The update window: a check in progress, then a newer version with its release notes and a
// button to the download page, the note that this version is the newest, or why the check
// failed. Installing is left to the download page.
class UpdateDialog : public QDialog {
    Q_OBJECT
public:
    using UrlOpener = std::function<void(const QUrl&)>;

    // `opener` opens the download page and the release notes; by default the desktop's browser.
    explicit UpdateDialog(
        QString currentVersion, UrlOpener opener = UrlOpener(), QWidget* parent = nullptr);

    void showChecking();
    // `releaseNotes` may be empty. Links that are not http or https are left out.
    void showUpdate(const QString& version, const QUrl& downloadPage, const QUrl& releaseNotes);
    void showNewest();
    void showError(const QString& error);

private:
    void setContent(const QString& title, const QString& message);
    void fitHeight();

    QString m_currentVersion;
    UrlOpener m_opener;
    QUrl m_downloadPage;
    QUrl m_releaseNotesPage;
    QLabel* m_title;
    QLabel* m_message;
    QLabel* m_releaseNotes;
    QPushButton* m_download;
};

} // namespace halyard
