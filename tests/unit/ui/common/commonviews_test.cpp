#include "common/fakekeychain.h"
#include "settings/preferencestore.h"
#include "settings/settingsstore.h"
#include "ui/common/autostart.h"
#include "ui/common/deeplink.h"
#include "ui/common/linkopener.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace halyard {
namespace {

TEST(Links, DeepLinkAndPermalinkEncodeValues)
{
    const Alert odd { {}, u"C 1&x"_s, u"1.2+3=4#"_s, std::nullopt, {}, 0, std::nullopt };
    EXPECT_EQ(deepLink(u"T/1"_s, odd)->toString(QUrl::FullyEncoded),
        u"slack://channel?team=T%2F1&id=C%201%26x&message=1.2%2B3%3D4%23"_s);
    EXPECT_EQ(browserLink(u"T/1"_s, std::nullopt, odd).toString(QUrl::FullyEncoded),
        u"https://app.slack.com/client/T%2F1/C%201%26x"_s);
    EXPECT_EQ(browserLink(u"T/1"_s, QUrl(u"https://t.example"_s), odd).toString(QUrl::FullyEncoded),
        u"https://t.example/archives/C%201%26x/p12%2B3%3D4%23"_s);
}

TEST(LinkRules, MailLinksKeepAddressSubjectAndBodyAndOnlyWebAndMailLinksOpen)
{
    // A link and what opens (empty: nothing).
    const std::pair<QString, QString> cases[] = {
        { u"mailto:ops@example.com?subject=Disk%20full&attach=/etc/passwd&body=db-1"_s,
            u"mailto:ops@example.com?subject=Disk%20full&body=db-1"_s },
        { u"MAILTO:ops@example.com?Attach=~/.ssh/id_rsa&cc=x@example.net&SUBJECT=a&subject=b"_s,
            u"mailto:ops@example.com?subject=a"_s },
        { u"mailto:ops@example.com?body=x%26attach%3D%2Fetc%2Fpasswd"_s,
            u"mailto:ops@example.com?body=x%26attach%3D%2Fetc%2Fpasswd"_s },
        { u"https://a.example/x?attach=1"_s, u"https://a.example/x?attach=1"_s },
        { u"HTTP://a.example"_s, u"http://a.example"_s },
        { u"file:///etc/passwd"_s, {} },
        { u"javascript:alert(1)"_s, {} },
        { u"slack://channel?team=T1"_s, {} },
    };
    for (const auto& [link, expected] : cases) {
        QList<QUrl> opened;
        LinkOpener opener([&](const QUrl& url) { opened.append(url); }, [] { return true; });
        opener.openMessageLink(QUrl(link));
        EXPECT_EQ(
            opened.isEmpty() ? QString() : opened.first().toString(QUrl::FullyEncoded), expected)
            << link.toStdString();
    }
}

// Without a slack: handler the message's permalink opens on the workspace's own web address,
// when the address the server gave is one to trust, else the channel in the web client.
TEST(LinkRules, AnAlertOpensOnlyOnceTheTeamIsKnown)
{
    const Alert alert { u"C1:1712.000100"_s, u"C1"_s, u"1712.000100"_s, std::nullopt, u"x"_s, 0,
        std::nullopt };
    test::FakeKeychain keychain;
    QTemporaryDir folder;
    PreferenceStore preferences(folder.path());
    SettingsStore settings(keychain, preferences);
    const QString web = u"https://t.slack.com/"_s,
                  channel = u"https://app.slack.com/client/T1/C1"_s;
    // Team, whether a slack: handler exists, workspace address, what opens (empty: nothing).
    const std::tuple<std::optional<QString>, bool, QString, QString> cases[] = {
        { std::nullopt, true, web, {} },
        { u""_s, false, web, {} },
        { u"T1"_s, true, web, u"slack://channel?team=T1&id=C1&message=1712.000100"_s },
        { u"T1"_s, false, {}, channel },
        { u"T1"_s, false, web, web + u"archives/C1/p1712000100"_s },
        { u"T1"_s, false, u"http://[::1]:80/sim?x#y"_s,
            u"http://[::1]:80/sim/archives/C1/p1712000100"_s },
        { u"T1"_s, false, u"http://t.slack.com/"_s, channel },
        { u"T1"_s, false, u"https://t.slack.com@evil.example/"_s, channel },
        { u"T1"_s, false, u"javascript:alert(1)//"_s, channel },
        { u"T1"_s, false, u"https:///archives/"_s, channel },
    };
    for (const auto& [teamId, slackHandler, workspace, expected] : cases) {
        settings.setTeamId(teamId);
        settings.setWorkspaceUrl(
            workspace.isEmpty() ? std::nullopt : std::optional(QUrl(workspace, QUrl::StrictMode)));
        QStringList opened;
        LinkOpener opener([&](const QUrl& url) { opened.append(url.toString(QUrl::FullyEncoded)); },
            [&] { return slackHandler; });
        opener.openAlert(settings, alert);
        EXPECT_EQ(opened, expected.isEmpty() ? QStringList() : QStringList { expected })
            << workspace.toStdString();
    }

    // A banner's click hands its activation token to that launch alone.
    settings.setTeamId(u"T1"_s);
    qunsetenv("XDG_ACTIVATION_TOKEN");
    QStringList tokens;
    LinkOpener opener(
        [&](const QUrl&) { tokens.append(qEnvironmentVariable("XDG_ACTIVATION_TOKEN")); },
        [] { return true; });
    for (const QString& token : { u"t1"_s, QString() })
        opener.openAlert(settings, alert, token);
    EXPECT_EQ(tokens, (QStringList { u"t1"_s, QString() }));
}

// The login entry as the desktop reads it: valid for desktop-file-validate, and (where gio is
// installed) started by the desktop's own launcher from where it really is.
TEST(AutostartEntry, AwkwardProgramPathsRoundTripAndALineBreakIsRefused)
{
    const QString validator = QStandardPaths::findExecutable(u"desktop-file-validate"_s);
    if (validator.isEmpty())
        GTEST_SKIP() << "desktop-file-validate is not installed";
    const QString gio = QStandardPaths::findExecutable(u"gio"_s);
    QTemporaryDir root;
    for (const QString& folder : { u"dollar $HOME"_s, u"say \"hi\""_s, u"tick `id`"_s,
             u"back\\slash"_s, u"beta (2); & more"_s }) {
        SCOPED_TRACE(folder.toStdString());
        const QString program = root.filePath(folder + u"/halyard"_s);
        ASSERT_TRUE(QDir().mkpath(root.filePath(folder)));
        QFile script(program);
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\necho \"$0\" > \"$(dirname \"$0\")/started\"\n");
        script.close();
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
        const Autostart autostart(root.filePath(u"autostart"_s), program);
        ASSERT_TRUE(autostart.setEnabled(true).has_value());

        QProcess validate;
        validate.setProcessChannelMode(QProcess::MergedChannels);
        validate.start(validator, { autostart.filePath() });
        ASSERT_TRUE(validate.waitForFinished(10000));
        EXPECT_EQ(validate.exitCode(), 0) << validate.readAll().toStdString();
        EXPECT_TRUE(validate.readAll().isEmpty());
        if (gio.isEmpty())
            continue;
        EXPECT_EQ(QProcess::execute(gio, { u"launch"_s, autostart.filePath() }), 0);
        QFile started(root.filePath(folder + u"/started"_s));
        // Written in one go once it is there at all; a busy machine may start the child late.
        EXPECT_TRUE(QTest::qWaitFor([&] { return started.size() > 0; }, 30000));
        ASSERT_TRUE(started.open(QIODevice::ReadOnly));
        EXPECT_EQ(QString::fromUtf8(started.readAll()).trimmed(), program);
    }

    const Autostart broken(root.filePath(u"autostart-broken"_s), u"/opt/a\nb/halyard"_s);
    const auto refused = broken.setEnabled(true);
    ASSERT_FALSE(refused.has_value());
    EXPECT_TRUE(refused.error().contains(u"line break"_s)) << refused.error().toStdString();
    EXPECT_FALSE(QFile::exists(broken.filePath()));

    // Desktops switch the entry off inside it; switching it on again writes it afresh.
    const Autostart marked(root.filePath(u"autostart-marked"_s), u"/opt/halyard"_s);
    const std::tuple<QByteArray, QByteArray, bool> markers[] = {
        { "X-GNOME-Autostart-enabled=true", "X-GNOME-Autostart-enabled = false", false },
        { "Terminal=false", "Terminal=false\nHidden=true", false },
        { "Terminal=false", "Terminal=false\nHidden=false\n[Other]\nHidden=true", true },
    };
    for (const auto& [from, to, enabled] : markers) {
        ASSERT_TRUE(marked.setEnabled(true).has_value());
        QFile file(marked.filePath());
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        QByteArray contents = file.readAll();
        EXPECT_TRUE(contents.contains("\nTryExec=/opt/halyard\n"));
        file.resize(0);
        file.seek(0);
        file.write(contents.replace(from, to));
        file.close();
        EXPECT_EQ(marked.isEnabled(), enabled) << to.toStdString();
    }
}

} // namespace
} // namespace halyard
