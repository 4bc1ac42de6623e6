#pragma once

#include "common/fakekeychain.h"
#include "common/logcapture.h"
#include "halyard-sim/fakeslack.h"
#include "queue/alertstore.h"
#include "settings/preferencestore.h"
#include "settings/settingsstore.h"
#include "slack/directory/directoryresolver.h"
#include "slack/directory/slackdirectory.h"
#include "slack/intake/bannerposter.h"
#include "slack/intake/messageintake.h"
#include "slack/webapi/slackwebapi.h"

#include <QCoroTask>
#include <QNetworkAccessManager>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace halyard::test {

using namespace Qt::Literals::StringLiterals;

class RecordingBanners : public BannerPoster {
public:
    void postBanner(const QString& title, const QString& body) override
    {
        posted.append({ title, body });
    }
    QList<std::pair<QString, QString>> posted;
};

// The intake wired as the service wires it, against a fake Slack with channel C1 "ops".
class IntakeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(slack.listen());
        slack.workspace().addChannel({ u"C1"_s, u"ops"_s });
        api = std::make_unique<SlackWebAPI>(&network, slack.apiUrl(),
            std::chrono::milliseconds(5000), RetryPolicy { 2, std::chrono::milliseconds(4) });
        resolver = std::make_unique<DirectoryResolver>(&directory, api.get());
        intake = std::make_unique<MessageIntake>(
            &store, &settings, &directory, resolver.get(), &banners, api.get());
    }

    void TearDown() override
    {
        // Lookups still in flight must end before the network goes away.
        EXPECT_TRUE(QTest::qWaitFor([this] {
            return resolver->inflightChannelLookups().isEmpty()
                && resolver->inflightUserLookups().isEmpty();
        }));
    }

    SlackTokens tokens() const
    {
        return { slack.workspace().botToken, slack.workspace().appToken };
    }
    // A bot message in the channel, as Slack stores it; its ts.
    QString addBotMessage(const QString& channel, const QString& ts)
    {
        return slack.workspace().addMessage(
            channel, { { u"ts"_s, ts }, { u"text"_s, u"m"_s }, { u"bot_id"_s, u"B1"_s } });
    }
    static MessageEvent botMessage(const QString& ts, const QString& text)
    {
        return { u"C1"_s, u"B1"_s, text, ts, u"Monitor"_s, true };
    }

    LogCapture log;
    FakeSlack slack;
    QNetworkAccessManager network;
    std::unique_ptr<SlackWebAPI> api;
    QTemporaryDir profile;
    FakeKeychain keychain;
    PreferenceStore preferences { profile.path() };
    SettingsStore settings { keychain, preferences };
    AlertStore store;
    SlackDirectory directory;
    RecordingBanners banners;
    std::unique_ptr<DirectoryResolver> resolver;
    std::unique_ptr<MessageIntake> intake;
};

} // namespace halyard::test
