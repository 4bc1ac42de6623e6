#include "common/servertext.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace halyard;

TEST(ServerText, ExcerptsAreShortSingleLinesAndCutsKeepCharactersWhole)
{
    const std::tuple<QString, qsizetype, QString> cases[] = {
        { u"  <html>\r\n\t<title>502</title>\u0000\n"_s, 200, u"<html> <title>502</title>"_s },
        { u"abcdef"_s, 4, u"abc…"_s },
        { u"abcd"_s, 4, u"abcd"_s },
        { u"ab\U0001F525d"_s, 4, u"ab…"_s }, // the emoji's two halves stay together
        { u"\n\n"_s, 4, u""_s },
    };
    for (const auto& [text, length, expected] : cases)
        EXPECT_EQ(excerpt(text, length), expected) << qPrintable(text);
    EXPECT_EQ(excerpt(QString(1'000'000, u'x')).size(), kMaxExcerptLength);
    EXPECT_EQ(cutText(u"line\nline\nline"_s, 7), u"line\nl…"_s);
    const QString logged
        = logCut(QString(QString(kMaxLoggedTextLength, u'a') + u"\n" + QString(10, u'b')));
    EXPECT_EQ(logged, QString(kMaxLoggedTextLength, u'a') + u'…');
    EXPECT_EQ(logCut(u"a\nb"_s), u"a\nb"_s);
}
