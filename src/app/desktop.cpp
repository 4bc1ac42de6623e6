#include "app/desktop.h"

#include "app/appcore.h"
#include "app/headless.h"
#include "common/logging.h"
#include "slack/slackservice.h"
#include "ui/desktoppanel.h"

#include <QApplication>

namespace halyard {

int runDesktop(const QString& keychainService, const QString& platformNote)
{
    if (!platformNote.isEmpty())
        qCInfo(lcApp, "%s", qUtf8Printable(platformNote));
    // The settings window comes and goes; the panel is what keeps the program alive.
    QApplication::setQuitOnLastWindowClosed(false);
    return runProgram(keychainService, [](AppCore& core) -> std::unique_ptr<QObject> {
        const DesktopPanel::Stores stores { core.alertStore(), core.settingsStore(),
            core.directory(), core.preferences() };
        return std::make_unique<DesktopPanel>(stores, core.systemEvents(),
            [&core](const Alert& alert) { core.slackService().acknowledge(alert); });
    });
}

} // namespace halyard
