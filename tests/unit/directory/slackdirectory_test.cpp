// The directory tells its observers only about real changes and never forgets a name.
#include "slack/directory/slackdirectory.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace halyard {
namespace {

TEST(SlackDirectoryTest, NotifiesOnlyOnRealChangeAndKeepsEveryName)
{
    SlackDirectory directory;
    QSignalSpy channels(&directory, &SlackDirectory::channelNamesChanged);
    QSignalSpy users(&directory, &SlackDirectory::userNamesChanged);

    directory.setChannelName(u"C1"_s, u"alerts"_s);
    directory.setChannelName(u"C1"_s, u"alerts"_s);
    directory.setUserName(u"U1"_s, u"ada"_s);
    directory.setUserName(u"U1"_s, u"ada"_s);
    EXPECT_EQ(channels.count(), 1);
    EXPECT_EQ(users.count(), 1);

    // A merge that changes nothing is silent; one that changes several names notifies once and
    // keeps the channels it does not list.
    directory.mergeChannelNames({ { u"C1"_s, u"alerts"_s } });
    directory.mergeChannelNames({});
    EXPECT_EQ(channels.count(), 1);
    directory.mergeChannelNames({ { u"C2"_s, u"ops"_s }, { u"C3"_s, u"deploys"_s } });
    EXPECT_EQ(channels.count(), 2);
    directory.setChannelName(u"C1"_s, u"alerts-renamed"_s);
    EXPECT_EQ(channels.count(), 3);

    EXPECT_EQ(directory.channelNames(),
        (QHash<QString, QString> {
            { u"C1"_s, u"alerts-renamed"_s }, { u"C2"_s, u"ops"_s }, { u"C3"_s, u"deploys"_s } }));
    EXPECT_EQ(directory.userName(u"U1"_s), u"ada"_s);
    EXPECT_EQ(directory.userName(u"U2"_s), std::nullopt);
    EXPECT_EQ(users.count(), 1);
}

} // namespace
} // namespace halyard
