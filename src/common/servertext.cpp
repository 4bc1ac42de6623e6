#include "common/servertext.h"

#include <QTextBoundaryFinder>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

// The first `length` UTF-16 units, one less when that would split a surrogate pair.
QStringView cutAt(QStringView text, qsizetype length)
{
    if (length < text.size() && length > 0 && text[length - 1].isHighSurrogate())
        --length;
    return text.first(length);
}

bool isBlank(QChar c)
{
    return c.isSpace() || c.category() == QChar::Other_Control;
}

} // namespace

QString excerpt(QStringView text, qsizetype maxLength)
{
    QString out;
    out.reserve(std::min(text.size(), maxLength + 1));
    bool pendingSpace = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (isBlank(c)) {
            pendingSpace = !out.isEmpty();
            continue;
        }
        if (pendingSpace) {
            out += u' ';
            pendingSpace = false;
        }
        out += c;
        if (out.size() > maxLength)
            return cutAt(out, maxLength - 1) + u'…';
    }
    return out;
}

QString cutText(const QString& text, qsizetype limit)
{
    // Cheap for the common case: a grapheme has at least one code unit.
    if (text.size() <= limit)
        return text;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype keep = 0;
    for (qsizetype seen = 0; seen < limit; ++seen) {
        const qsizetype next = finder.toNextBoundary();
        if (next == -1)
            return text;
        if (seen < limit - 1)
            keep = next;
    }
    if (finder.toNextBoundary() == -1)
        return text;
    return text.first(keep) + u'…';
}

QString logCut(QStringView text)
{
    if (text.size() <= kMaxLoggedTextLength)
        return text.toString();
    return cutAt(text, kMaxLoggedTextLength) + u'…';
}

bool isSlackTimestamp(QStringView ts)
{
    const qsizetype dot = ts.indexOf(u'.');
    if (dot <= 0 || dot == ts.size() - 1)
        return false;
    for (qsizetype i = 0; i < ts.size(); ++i) {
        if (i != dot && (ts[i] < u'0' || ts[i] > u'9'))
            return false;
    }
    return true;
}

} // namespace halyard
