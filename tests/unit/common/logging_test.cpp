#include "common/logcapture.h"
#include "common/logging.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

TEST(Logging, PrivateArgumentsAreRedactedUnlessEnabled)
{
    halyard::test::LogCapture capture;
    halyard::setPrivateLoggingEnabled(false);
    qCInfo(lcSlack, "RX %s", qUtf8Printable(halyard::logPrivate(u"secret"_s)));
    halyard::setPrivateLoggingEnabled(true);
    qCInfo(lcSlack, "RX %s", qUtf8Printable(halyard::logPrivate(u"secret"_s)));
    halyard::setPrivateLoggingEnabled(false);
    EXPECT_EQ(capture.messages(u"slack"_s), (QStringList { u"RX <private>"_s, u"RX secret"_s }));
    EXPECT_TRUE(capture.messages(u"alerts"_s).isEmpty());
}
