#include "common/servicemanager.h"

#include <QByteArrayList>

#include <cstdio>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace halyard {

bool notifyServiceManager(const QByteArray& state)
{
    const QByteArray path = qgetenv("NOTIFY_SOCKET");
    sockaddr_un address {};
    if (path.size() < 2 || qsizetype(sizeof address.sun_path) <= path.size()
        || (path[0] != '/' && path[0] != '@'))
        return false;
    address.sun_family = AF_UNIX;
    std::copy(path.begin(), path.end(), address.sun_path);
    // An abstract name starts with a zero byte and is not terminated.
    if (path[0] == '@')
        address.sun_path[0] = '\0';
    const auto length
        = socklen_t(offsetof(sockaddr_un, sun_path) + path.size() + (path[0] == '@' ? 0 : 1));
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const auto sent = ::sendto(fd, state.constData(), size_t(state.size()), MSG_NOSIGNAL,
        reinterpret_cast<const sockaddr*>(&address), length);
    ::close(fd);
    return sent == state.size();
}

bool standardErrorIsJournal()
{
    const QByteArrayList stream = qgetenv("JOURNAL_STREAM").split(':');
    struct stat info { };
    if (stream.size() != 2 || ::fstat(STDERR_FILENO, &info) != 0)
        return false;
    bool devOk = false;
    bool inoOk = false;
    const auto device = stream[0].toULongLong(&devOk);
    const auto inode = stream[1].toULongLong(&inoOk);
    return devOk && inoOk && device == info.st_dev && inode == info.st_ino;
}

QByteArray journalLine(QtMsgType type, const QString& text)
{
    QByteArray priority;
    switch (type) {
    case QtDebugMsg:
        priority = "<7>";
        break;
    case QtInfoMsg:
        priority = "<6>";
        break;
    case QtWarningMsg:
        priority = "<4>";
        break;
    case QtCriticalMsg:
        priority = "<3>";
        break;
    case QtFatalMsg:
        priority = "<2>";
        break;
    }
    // The journal takes each line as an entry of its own: each needs the prefix.
    QByteArray line;
    for (const QByteArray& part : text.toUtf8().split('\n'))
        line += priority + part + '\n';
    return line;
}

namespace {
void writeToJournal(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    const QByteArray line = journalLine(type, qFormatLogMessage(type, context, message));
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
}
} // namespace

void installJournalPriorities()
{
    if (standardErrorIsJournal())
        qInstallMessageHandler(writeToJournal);
}

} // namespace halyard
