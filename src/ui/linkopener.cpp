#include "ui/linkopener.h"

#include "ui/deeplink.h"

#include <QDesktopServices>
#include <QProcess>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

constexpr int kProbeTimeoutMs = 1000;

} // namespace

void LinkOpener::openWithDesktop(const QUrl& url)
{
    QDesktopServices::openUrl(url);
}

bool LinkOpener::desktopHandlesSlackLinks()
{
    // Blocking, but once per run and bounded: it runs on the first click, which hands the user
    // over to another application anyway.
    QProcess process;
    process.start(u"xdg-mime"_s, { u"query"_s, u"default"_s, u"x-scheme-handler/slack"_s });
    if (!process.waitForFinished(kProbeTimeoutMs))
        return false;
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0
        && !process.readAllStandardOutput().trimmed().isEmpty();
}

LinkOpener::LinkOpener(Open open, HandlerProbe probe)
    : m_open(std::move(open))
    , m_probe(std::move(probe))
{
}

void LinkOpener::openAlert(const std::optional<QString>& teamId, const Alert& alert)
{
    const std::optional<QUrl> link = deepLink(teamId, alert);
    if (!link)
        return;
    m_open(hasSlackHandler() ? *link : browserLink(*teamId, alert));
}

void LinkOpener::openMessageLink(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    if (scheme == u"http"_s || scheme == u"https"_s || scheme == u"mailto"_s)
        m_open(url);
}

bool LinkOpener::hasSlackHandler()
{
    if (!m_hasSlackHandler)
        m_hasSlackHandler = m_probe();
    return *m_hasSlackHandler;
}

} // namespace halyard
