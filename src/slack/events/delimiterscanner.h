#pragma once

#include <QStringView>
#include <QTextBoundaryFinder>

#include <memory>

namespace halyard {

// Finds ASCII delimiters in text the way a reader sees characters: a ":" or "<" that a
// combining mark or a prepended character joins into a larger grapheme cluster is part of that
// character, not a delimiter. Grapheme boundaries are computed only when a delimiter has a
// non-ASCII neighbour. The text must outlive the scanner.
class DelimiterScanner {
public:
    explicit DelimiterScanner(QStringView text);
    ~DelimiterScanner();
    DelimiterScanner(const DelimiterScanner&) = delete;
    DelimiterScanner& operator=(const DelimiterScanner&) = delete;

    // The first position in [from, to) holding `delimiter` as a character of its own, or -1.
    // A negative `to` means the end of the text.
    qsizetype indexOf(char16_t delimiter, qsizetype from, qsizetype to = -1) const;

    // Whether a user-perceived character starts at `position` (the end counts as one).
    bool isCharacterBoundary(qsizetype position) const;

private:
    QStringView m_text;
    mutable std::unique_ptr<QTextBoundaryFinder> m_finder;
};

} // namespace halyard
