#include "common/logging.h"
#include "desktopapp/desktop.h"
#include "settings/memorykeychain.h"
#include "settings/slacktokens.h"
#include "sim/demoscenario.h"
#include "sim/slackserver.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTextStream>

using namespace Qt::Literals::StringLiterals;
using halyard::sim::DemoScenario;
using halyard::sim::SlackServer;

namespace halyard {

int runDemo(const QString& platformNote)
{
    // Removed when the run ends, however it ends short of a crash.
    const QTemporaryDir profile(QDir::tempPath() + u"/halyard-demo-XXXXXX"_s);
    if (!profile.isValid()) {
        QTextStream(stderr) << QCoreApplication::translate(
            "halyard::Demo", "halyard: cannot create the demo profile: %1")
                                   .arg(profile.errorString())
                            << Qt::endl;
        return 1;
    }
    SlackServer slack;
    DemoScenario::populate(slack.workspace());
    if (!slack.listen()) {
        QTextStream(stderr) << QCoreApplication::translate(
            "halyard::Demo", "halyard: cannot serve the demo workspace on 127.0.0.1")
                            << Qt::endl;
        return 1;
    }
    DemoScenario scenario(slack);
    scenario.start();
    qCInfo(lcApp, "Demo profile in %s", qUtf8Printable(profile.path()));

    QMap<QString, QString> tokens;
    tokens.insert(kBotTokenAccount.toString(), slack.workspace().botToken);
    tokens.insert(kAppTokenAccount.toString(), slack.workspace().appToken);
    // The queue, the preferences, the lock and the login entry all land in the throw-away
    // profile, never in the user's own. Handed down rather than put into the environment, which
    // the browser and Slack inherit when a link is opened.
    const Profile demo { profile.filePath(u"data"_s), profile.filePath(u"config"_s), slack.apiUrl(),
        false };
    return runDesktop(std::make_unique<MemoryKeychain>(tokens), demo, platformNote, true);
}

} // namespace halyard
