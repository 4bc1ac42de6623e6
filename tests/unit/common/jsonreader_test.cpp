#include "common/jsonreader.h"
#include "common/logcapture.h"
#include "common/logging.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace halyard::json;

namespace {

struct Inner {
    QString name;
};

struct Outer {
    QString id;
    std::optional<QString> note;
    std::optional<qint64> count;
    std::optional<QList<Inner>> items;
};

Decoded<Inner> decodeInner(const QJsonValue& value, const QString& path)
{
    return decodeObject<Inner>(
        value, path, [](ObjectReader& r) { return Inner { r.requiredString(u"name") }; });
}

Decoded<Outer> decodeOuter(const QByteArray& bytes)
{
    auto object = parseObject(bytes);
    if (!object)
        return std::unexpected(object.error());
    ObjectReader r(*object);
    Outer out;
    out.id = r.requiredString(u"id");
    out.note = r.optionalString(u"note");
    out.count = r.optionalInt64(u"count");
    out.items = r.optionalListWith<Inner>(u"items", decodeInner);
    return r.finish(out);
}

} // namespace

TEST(JsonReader, FailuresNameTheKeyPath)
{
    struct Case {
        const char* json;
        QString description;
    } cases[] = {
        { R"({})", u"id: missing required value"_s },
        { R"({"id":null})", u"id: missing required value"_s },
        { R"({"id":1})", u"id: expected a string"_s },
        { R"({"id":"x","note":true})", u"note: expected a string"_s },
        { R"({"id":"x","count":1.5})", u"count: expected a 64-bit integer"_s },
        { R"({"id":"x","count":"3"})", u"count: expected a 64-bit integer"_s },
        { R"({"id":"x","count":1e300})", u"count: expected a 64-bit integer"_s },
        { R"({"id":"x","items":{}})", u"items: expected an array"_s },
        { R"({"id":"x","items":[{"name":"a"},{"name":2}]})",
            u"items[1].name: expected a string"_s },
        { R"({"id":"x","items":[{"name":"a"},7]})", u"items[1]: expected an object"_s },
        { R"([1])", u"expected a JSON object"_s },
    };
    for (const Case& c : cases) {
        auto result = decodeOuter(c.json);
        ASSERT_FALSE(result.has_value()) << c.json;
        EXPECT_EQ(result.error().description(), c.description) << c.json;
    }
    auto truncated = decodeOuter(R"({"id":"x)");
    ASSERT_FALSE(truncated.has_value());
    EXPECT_TRUE(truncated.error().description().startsWith(u"invalid JSON"_s));
}

TEST(JsonReader, NullIsAbsentUnknownKeysAreIgnoredAndIntegersKeepTheirValue)
{
    auto a = decodeOuter(R"({"id":"x","extra":[1,2],"count":1700000000123})");
    ASSERT_TRUE(a.has_value());
    EXPECT_FALSE(a->note.has_value());
    EXPECT_EQ(a->count, 1700000000123);
    auto b = decodeOuter(R"({"id":"x","note":null,"count":null,"items":null})");
    ASSERT_TRUE(b.has_value());
    EXPECT_FALSE(b->note || b->count || b->items);
    for (const qint64 n : { 0, 1, -42 })
        EXPECT_EQ(decodeOuter(R"({"id":"","count":)" + QByteArray::number(n) + '}')->count, n);
}

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
