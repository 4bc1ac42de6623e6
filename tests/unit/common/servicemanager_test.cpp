#include "common/servicemanager.h"

#include <QTemporaryDir>
#include <QUuid>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace halyard;

TEST(JournalLineTest, EveryLineCarriesItsPriority)
{
    const std::tuple<QtMsgType, const char*, QByteArray> cases[] = {
        { QtDebugMsg, "d", "<7>d\n" },
        { QtInfoMsg, "i", "<6>i\n" },
        { QtWarningMsg, "w", "<4>w\n" },
        { QtCriticalMsg, "two\nlines", "<3>two\n<3>lines\n" },
        { QtFatalMsg, "f", "<2>f\n" },
    };
    for (const auto& [type, text, expected] : cases)
        EXPECT_EQ(journalLine(type, QString::fromUtf8(text)), expected) << text;

    // Only a stream that is standard error itself: a child's inherited variable names another.
    struct stat error { };
    ASSERT_EQ(::fstat(STDERR_FILENO, &error), 0);
    const QByteArray own = QByteArray::number(quint64(error.st_dev)) + ':'
        + QByteArray::number(quint64(error.st_ino));
    for (const auto& [stream, isJournal] : { std::pair { own, true },
             std::pair { QByteArray("0:0"), false }, std::pair { QByteArray("x"), false } }) {
        qputenv("JOURNAL_STREAM", stream);
        EXPECT_EQ(standardErrorIsJournal(), isJournal) << stream.data();
    }
    qunsetenv("JOURNAL_STREAM");
}

// The service manager's end: a datagram socket at a path or an abstract name.
TEST(NotifyServiceManagerTest, ReachesPathAndAbstractSocketsAndNothingElse)
{
    QTemporaryDir dir;
    const QByteArray abstract = "@halyard-test-" + QUuid::createUuid().toByteArray(QUuid::Id128);
    for (const QByteArray& name : { dir.filePath(QStringLiteral("notify")).toUtf8(), abstract }) {
        const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        std::copy(name.begin(), name.end(), address.sun_path);
        if (name[0] == '@')
            address.sun_path[0] = '\0';
        const auto length
            = socklen_t(offsetof(sockaddr_un, sun_path) + name.size() + (name[0] == '@' ? 0 : 1));
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), length), 0) << name.data();
        qputenv("NOTIFY_SOCKET", name);
        EXPECT_TRUE(notifyServiceManager("READY=1"));
        char buffer[64] {};
        EXPECT_EQ(::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT), 7) << name.data();
        EXPECT_STREQ(buffer, "READY=1");
        ::close(fd);
    }
    qputenv("NOTIFY_SOCKET", "relative/path");
    EXPECT_FALSE(notifyServiceManager("READY=1"));
    qunsetenv("NOTIFY_SOCKET");
}
