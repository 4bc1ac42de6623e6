#include "slack/text/slackemoji.h"

#include "slack/events/delimiterscanner.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::Literals::StringLiterals;

// Resources in a static library are only registered when something asks for them.
static void initEmojiResource()
{
    Q_INIT_RESOURCE(slackemoji);
}

namespace halyard {

bool SlackEmoji::isShortcode(QStringView text)
{
    // Every accepted character is ASCII, so counting UTF-16 units counts characters here.
    if (text.isEmpty() || text.size() > 64)
        return false;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        const bool allowed = (u >= u'a' && u <= u'z') || (u >= u'0' && u <= u'9') || u == u'_'
            || u == u'-' || u == u'+';
        if (!allowed)
            return false;
    }
    return true;
}

SlackEmoji::Table SlackEmoji::loadTable(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    if (!document.isObject())
        return {};
    const QJsonObject object = document.object();
    Table table;
    table.reserve(object.size());
    for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
        if (!it.value().isString())
            return {};
        table.insert(it.key(), it.value().toString());
    }
    return table;
}

const SlackEmoji::Table& SlackEmoji::table()
{
    static const Table loaded = [] {
        initEmojiResource();
        return loadTable(u":/slack-emoji.json"_s);
    }();
    return loaded;
}

QString SlackEmoji::replacingShortcodes(QStringView text)
{
    if (!text.contains(u':'))
        return text.toString();
    return replacingShortcodes(text, table());
}

QString SlackEmoji::replacingShortcodes(QStringView text, const Table& table)
{
    if (!text.contains(u':') || table.isEmpty())
        return text.toString();
    QString out;
    out.reserve(text.size());
    const DelimiterScanner scanner(text);
    qsizetype position = 0;
    while (position < text.size()) {
        const qsizetype first = scanner.indexOf(u':', position);
        if (first < 0)
            break;
        out += text.sliced(position, first - position);
        const qsizetype second = scanner.indexOf(u':', first + 1);
        if (second < 0) {
            out += u':';
            position = first + 1;
            break;
        }
        const QStringView candidate = text.sliced(first + 1, second - first - 1);
        const auto it
            = isShortcode(candidate) ? table.constFind(candidate.toString()) : table.constEnd();
        if (it != table.constEnd()) {
            out += *it;
            position = second + 1;
        } else {
            // The second colon may open the next shortcode.
            out += u':';
            position = first + 1;
        }
    }
    if (position < text.size())
        out += text.sliced(position);
    return out;
}

} // namespace halyard
