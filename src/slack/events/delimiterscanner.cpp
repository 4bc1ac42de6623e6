#include "slack/events/delimiterscanner.h"

namespace halyard {

DelimiterScanner::DelimiterScanner(QStringView text)
    : m_text(text)
{
}

DelimiterScanner::~DelimiterScanner() = default;

bool DelimiterScanner::isCharacterBoundary(qsizetype position) const
{
    if (position <= 0 || position >= m_text.size())
        return true;
    const char16_t before = m_text[position - 1].unicode();
    const char16_t after = m_text[position].unicode();
    // Between two ASCII characters there is always a boundary, except inside CR LF.
    if (before < 0x80 && after < 0x80)
        return !(before == u'\r' && after == u'\n');
    if (!m_finder) {
        m_finder = std::make_unique<QTextBoundaryFinder>(
            QTextBoundaryFinder::Grapheme, m_text.data(), m_text.size());
    }
    m_finder->setPosition(position);
    return m_finder->isAtBoundary();
}

qsizetype DelimiterScanner::indexOf(char16_t delimiter, qsizetype from, qsizetype to) const
{
    if (to < 0 || to > m_text.size())
        to = m_text.size();
    const QStringView window = m_text.first(to);
    for (qsizetype i = from; i < to; ++i) {
        i = window.indexOf(QChar(delimiter), i);
        if (i < 0)
            return -1;
        if (isCharacterBoundary(i) && isCharacterBoundary(i + 1))
            return i;
    }
    return -1;
}

} // namespace halyard
