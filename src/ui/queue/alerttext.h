#pragma once

#include "slack/text/slacktext.h"

#include <QList>
#include <QPixmap>
#include <QTextDocument>
#include <QUrl>
#include <QWidget>

class QTextCharFormat;
class QTextCursor;

namespace halyard {

// Message text as styled runs, cut after kMaxLines lines. Emoji are laid out as pictures drawn
// once per emoji, size and colour for the whole program: the text engine would decode a colour
// emoji's bitmap again for every occurrence each time it lays the text out. A click on a link emits
// linkActivated and is taken; every other click is left to the parent, so the row around the text
// can treat the text as part of its own click area.
class AlertText : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMaxLines = 3;
    // How much text is laid out at most, far more than three lines show, so a message of any
    // length costs what a short one does: a character counts its code points, an emoji at least
    // kEmojiWeight.
    static constexpr qsizetype kMaxDisplayWeight = 400;
    static constexpr qsizetype kEmojiWeight = 6;
    // A grapheme longer than this is no emoji or letter any font draws as one (the longest
    // emoji sequences have ten code points) but a chain built to be costly: it is laid out in
    // pieces, split after each zero-width joiner and at this length, and cut like any text.
    static constexpr qsizetype kMaxGraphemeCodePoints = 16;
    // The emoji pictures the program keeps at most, in bytes: thousands of emoji at any usual
    // size and scale. The least recently used go first and are drawn again when next needed.
    static constexpr qsizetype kEmojiPictureBytes = 16 * 1024 * 1024;

    // What the emoji pictures hold now.
    static qsizetype emojiPictureBytes();

    explicit AlertText(QWidget* parent = nullptr);

    // Keeps what fits kMaxLines lines and kMaxDisplayWeight.
    void setRuns(const StyledText& runs);
    // The text as shown, cut like it.
    QString plainText() const { return m_plainText; }
    // The link target under a point of this widget, empty when there is none.
    QString anchorAt(QPointF point) const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void linkActivated(const QUrl& url);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void rebuild();
    // False once the text is full.
    bool insertRun(QTextCursor& cursor, const QString& text, const QTextCharFormat& format,
        const QColor& color, qsizetype& weight, int& breaks);

    void layOut(int width) const;
    void updateMinimumHeight();

    static constexpr qsizetype kRememberedWidths = 4;

    // Laid out lazily for whatever width is asked about.
    mutable QTextDocument m_document;
    mutable QList<std::pair<int, int>> m_heights;
    QPixmap m_picture;
    QString m_plainText;
    StyledText m_runs;
    QString m_pressedAnchor;
    int m_minimumHeight = 0;
};

} // namespace halyard
