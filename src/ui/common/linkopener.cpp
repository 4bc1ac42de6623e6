#include "ui/common/linkopener.h"

#include "settings/settingsstore.h"
#include "ui/common/deeplink.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QProcess>
#include <QStringList>

#include <utility>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

constexpr int kProbeTimeoutMs = 1000;

// The activation token for the programs started while it lives; then the environment is as it
// was, so no later launch reuses a spent token.
class LaunchEnvironment {
public:
    explicit LaunchEnvironment(const QString& activationToken)
    {
        if (activationToken.isEmpty())
            return;
        set("XDG_ACTIVATION_TOKEN", activationToken);
        // X11 programs know the same token as their startup notification ID.
        if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
            && QGuiApplication::platformName() == u"xcb")
            set("DESKTOP_STARTUP_ID", activationToken);
    }
    ~LaunchEnvironment()
    {
        for (const auto& [name, value] : m_saved) {
            if (value)
                qputenv(name, *value);
            else
                qunsetenv(name);
        }
    }
    LaunchEnvironment(const LaunchEnvironment&) = delete;
    LaunchEnvironment& operator=(const LaunchEnvironment&) = delete;

private:
    void set(const char* name, const QString& value)
    {
        m_saved.emplace_back(
            name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
        qputenv(name, value.toUtf8());
    }

    std::vector<std::pair<const char*, std::optional<QByteArray>>> m_saved;
};

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

bool LinkOpener::isWebLink(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == u"http" || scheme == u"https") && !url.host().isEmpty();
}

QUrl LinkOpener::withoutMailExtras(const QUrl& mailto)
{
    QStringList kept;
    bool subject = false;
    bool body = false;
    // Encoded as they came, so no value is decoded into a delimiter on the way.
    const QString query = mailto.query(QUrl::FullyEncoded);
    for (const QString& field : query.split(u'&', Qt::SkipEmptyParts)) {
        const QString name = QUrl::fromPercentEncoding(field.section(u'=', 0, 0).toUtf8());
        bool* seen = name.compare(u"subject"_s, Qt::CaseInsensitive) == 0 ? &subject
            : name.compare(u"body"_s, Qt::CaseInsensitive) == 0           ? &body
                                                                          : nullptr;
        if (seen && !std::exchange(*seen, true))
            kept.append(name.toLower() + u'=' + field.section(u'=', 1));
    }
    QUrl url;
    url.setScheme(u"mailto"_s);
    url.setPath(mailto.path(QUrl::FullyEncoded), QUrl::StrictMode);
    if (!kept.isEmpty())
        url.setQuery(kept.join(u'&'), QUrl::StrictMode);
    return url;
}

LinkOpener::LinkOpener(Open open, HandlerProbe probe)
    : m_open(std::move(open))
    , m_probe(std::move(probe))
{
}

void LinkOpener::openAlert(
    const SettingsStore& workspace, const Alert& alert, const QString& activationToken)
{
    const std::optional<QString>& teamId = workspace.teamId();
    const std::optional<QUrl> link = deepLink(teamId, alert);
    if (!link)
        return;
    const QUrl url
        = hasSlackHandler() ? *link : browserLink(*teamId, workspace.workspaceUrl(), alert);
    const LaunchEnvironment environment(activationToken);
    m_open(url);
}

void LinkOpener::openMessageLink(const QUrl& url)
{
    if (isWebLink(url))
        m_open(url);
    else if (url.isValid() && url.scheme().compare(u"mailto"_s, Qt::CaseInsensitive) == 0)
        m_open(withoutMailExtras(url));
}

bool LinkOpener::hasSlackHandler()
{
    if (!m_hasSlackHandler)
        m_hasSlackHandler = m_probe();
    return *m_hasSlackHandler;
}

} // namespace halyard
