#pragma once

#include "common/logcapture.h"
#include "halyard-sim/fakeslack.h"
#include "slack/webapi/slackwebapi.h"

#include <QCoroTask>
#include <QNetworkAccessManager>
#include <QNetworkProxy>

#include <gtest/gtest.h>

#include <chrono>

namespace halyard::test {

using namespace std::chrono_literals;

// A fake Slack on loopback and a client pointed at it, with retry waits shrunk to a few
// milliseconds so that whole retry sequences take no time.
class WebApiTest : public ::testing::Test {
protected:
    static constexpr RetryPolicy kFastRetry { 4, std::chrono::milliseconds(4) };

    void SetUp() override
    {
        ASSERT_TRUE(slack.listen());
        // A proxy from the environment must not stand between the client and loopback.
        network.setProxy(QNetworkProxy::NoProxy);
    }

    SlackWebAPI client(RetryPolicy retry = kFastRetry,
        std::chrono::milliseconds transferTimeout = std::chrono::milliseconds(5000))
    {
        return SlackWebAPI(&network, slack.apiUrl(), transferTimeout, retry);
    }

    QString botToken() const { return slack.workspace().botToken; }
    QString appToken() const { return slack.workspace().appToken; }

    // Runs a call to its end; the fake server answers from the same event loop.
    template <typename T> static T run(QCoro::Task<T> task)
    {
        return QCoro::waitFor(std::move(task));
    }

    FakeSlack slack;
    QNetworkAccessManager network;
};

} // namespace halyard::test
