// The directory tells its observers only about real changes and never forgets a name.
#include "slack/slackdirectory.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <ostream>

// Readable failure output for Qt strings.
[[maybe_unused]] static void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

using namespace Qt::Literals::StringLiterals;

namespace halyard {
namespace {

TEST(SlackDirectoryTest, ChannelNamesNotifyOnlyOnRealChange)
{
    SlackDirectory directory;
    QSignalSpy changed(&directory, &SlackDirectory::channelNamesChanged);
    QSignalSpy usersChanged(&directory, &SlackDirectory::userNamesChanged);

    EXPECT_EQ(directory.channelName(u"C1"_s), std::nullopt);
    directory.setChannelName(u"C1"_s, u"alerts"_s);
    directory.setChannelName(u"C1"_s, u"alerts"_s);
    EXPECT_EQ(changed.count(), 1);
    directory.setChannelName(u"C1"_s, u"alerts-renamed"_s);
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(directory.channelName(u"C1"_s), u"alerts-renamed"_s);

    // A merge that changes nothing is silent; one that changes several names notifies once and
    // keeps the channels it does not list.
    directory.mergeChannelNames({ { u"C1"_s, u"alerts-renamed"_s } });
    EXPECT_EQ(changed.count(), 2);
    directory.mergeChannelNames({ { u"C1"_s, u"alerts"_s }, { u"C2"_s, u"ops"_s } });
    EXPECT_EQ(changed.count(), 3);
    directory.mergeChannelNames({});
    EXPECT_EQ(changed.count(), 3);

    EXPECT_EQ(directory.channelNames(),
        (QHash<QString, QString> { { u"C1"_s, u"alerts"_s }, { u"C2"_s, u"ops"_s } }));
    EXPECT_EQ(usersChanged.count(), 0);
}

TEST(SlackDirectoryTest, UserNamesNotifyOnlyOnRealChange)
{
    SlackDirectory directory;
    QSignalSpy changed(&directory, &SlackDirectory::userNamesChanged);
    QSignalSpy channelsChanged(&directory, &SlackDirectory::channelNamesChanged);

    directory.setUserName(u"U1"_s, u"ada"_s);
    directory.setUserName(u"U1"_s, u"ada"_s);
    EXPECT_EQ(changed.count(), 1);
    // An empty name is still a change from an absent one.
    directory.setUserName(u"U2"_s, QString());
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(directory.userName(u"U2"_s), QString());
    EXPECT_EQ(directory.userName(u"U3"_s), std::nullopt);
    EXPECT_EQ(channelsChanged.count(), 0);
}

} // namespace
} // namespace halyard
