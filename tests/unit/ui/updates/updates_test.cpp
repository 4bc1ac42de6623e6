#include "common/servertext.h"
#include "ui/updates/updatedialog.h"
#include "ui/updates/updaterow.h"

#include <QLabel>
#include <QPushButton>
#include <QTextDocument>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace halyard {
namespace {

TEST(UpdateDialog, ShowsTheNewVersionTheNewestNoteOrTheErrorOpensOnlyWebPagesAndNoMarkup)
{
    QList<QUrl> opened;
    UpdateDialog dialog(u"1.9"_s, [&](const QUrl& url) { opened.append(url); });
    const auto text = [&](const QString& name) { return dialog.findChild<QLabel*>(name)->text(); };
    const auto shown
        = [&](const QString& name) { return !dialog.findChild<QWidget*>(name)->isHidden(); };
    const QUrl download(u"https://example.com/halyard-2.0.tar.gz"_s);

    EXPECT_EQ(text(u"updateTitle"_s), u"Checking for updates…"_s);
    EXPECT_FALSE(shown(u"downloadButton"_s));

    dialog.showUpdate(u"2.0"_s, download, QUrl(u"https://example.com/notes"_s));
    EXPECT_EQ(text(u"updateTitle"_s), u"Halyard 2.0 is available"_s);
    EXPECT_TRUE(shown(u"releaseNotesLink"_s));
    dialog.findChild<QPushButton*>(u"downloadButton"_s)->click();
    EXPECT_EQ(opened, QList<QUrl> { download });

    dialog.showNewest();
    EXPECT_EQ(text(u"updateTitle"_s), u"Halyard 1.9 is the newest version."_s);
    EXPECT_FALSE(shown(u"downloadButton"_s));

    dialog.showError(u"The update feed could not be fetched: Host not found"_s);
    EXPECT_EQ(text(u"updateMessage"_s), u"The update feed could not be fetched: Host not found"_s);
    EXPECT_FALSE(shown(u"downloadButton"_s));

    // The feed's links open only when they are web pages.
    opened.clear();
    dialog.showUpdate(u"2.0"_s, QUrl(u"file:///usr/bin/xterm"_s), QUrl(u"smb://host/notes"_s));
    EXPECT_FALSE(shown(u"downloadButton"_s) || shown(u"releaseNotesLink"_s));
    const QUrl notes(u"https://example.com/notes?a=%26"_s);
    dialog.showUpdate(u"2.0"_s, QUrl(u"https://example.com/d"_s), notes);
    ASSERT_TRUE(shown(u"downloadButton"_s) && shown(u"releaseNotesLink"_s));
    emit dialog.findChild<QLabel*>(u"releaseNotesLink"_s)->linkActivated(u"file:///x"_s);
    EXPECT_EQ(opened, QList<QUrl> { notes });

    // Text from the feed shows as it is, never as markup, and cut.
    const QString page = u"<h1>502 Bad Gateway</h1>"_s + QString(1000, u'x');
    const auto onScreen = [](const QLabel* label) {
        QTextDocument document;
        document.setHtml(label->text());
        return label->textFormat() == Qt::PlainText || !Qt::mightBeRichText(label->text())
            ? label->text()
            : document.toPlainText();
    };
    UpdateRow row;
    row.setVersion(u"<b>2.0</b>"_s + page);
    dialog.showUpdate(u"<b>2.0</b>"_s, {}, {});
    const QString title = onScreen(dialog.findChild<QLabel*>(u"updateTitle"_s));
    dialog.showError(page);
    const struct {
        QString shown, start;
        qsizetype limit = kDisplayTextLimit;
    } cases[] = {
        { onScreen(row.findChild<QLabel*>(u"updateText"_s)),
            u"Update available - Halyard <b>2.0</b><h1>"_s, 100 },
        { title, u"Halyard <b>2.0</b> is available"_s },
        { onScreen(dialog.findChild<QLabel*>(u"updateMessage"_s)), u"<h1>502 Bad Gateway</h1>"_s },
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(c.shown.startsWith(c.start)) << c.shown.left(80).toStdString();
        EXPECT_LE(c.shown.size(), c.limit);
    }
}

} // namespace
} // namespace halyard
