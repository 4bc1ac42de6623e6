#include "ui/queue/alerttext.h"

#include <QAbstractTextDocumentLayout>
#include <QCache>
#include <QEvent>
#include <QFontDatabase>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextCursor>
#include <QTextLayout>
#include <QTextObjectInterface>

#include <algorithm>
#include <cmath>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

// Asked for when the layout has no width yet.
constexpr int kPreferredWidth = 220;
constexpr int kMinimumWidth = 40;

// A picture of one emoji as the text engine draws it, shared by every text of the program.
struct EmojiPicture {
    QImage image;
    // Where the picture's top lies relative to the top of the text's line box.
    qreal top = 0;
    qreal advance = 0;
    qreal ascent = 0;
};

constexpr int kEmojiObject = QTextFormat::UserObject + 1;
constexpr int kEmojiPerSpace = 8;
// The picture's key, looked up on every layout of the object, and what the picture is drawn
// from, again once the cache let it go.
constexpr int kEmojiKeyProperty = QTextFormat::UserProperty + 1;
constexpr int kEmojiGraphemeProperty = QTextFormat::UserProperty + 2;
constexpr int kEmojiFontProperty = QTextFormat::UserProperty + 3;
constexpr int kEmojiColorProperty = QTextFormat::UserProperty + 4;
constexpr int kEmojiRatioProperty = QTextFormat::UserProperty + 5;

// Keyed by grapheme, font, colour and scale; costs are bytes.
QCache<QString, EmojiPicture>& emojiPictures()
{
    static QCache<QString, EmojiPicture> pictures(AlertText::kEmojiPictureBytes);
    return pictures;
}

QString emojiKey(QStringView grapheme, const QFont& font, const QColor& color, qreal ratio)
{
    return u"%1/%2/%3/%4"_s.arg(grapheme, font.key(), color.name(QColor::HexArgb)).arg(ratio);
}

// The picture of the emoji an object stands for, drawn when it is not kept.
EmojiPicture emojiPicture(const QTextFormat& format)
{
    const QString key = format.stringProperty(kEmojiKeyProperty);
    if (const EmojiPicture* kept = emojiPictures().object(key))
        return *kept;

    const QFont font = format.property(kEmojiFontProperty).value<QFont>();
    const qreal ratio = format.doubleProperty(kEmojiRatioProperty);
    QTextLayout layout(format.stringProperty(kEmojiGraphemeProperty), font);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(1e6);
    layout.endLayout();
    EmojiPicture picture;
    picture.advance = line.naturalTextWidth();
    picture.ascent = QFontMetricsF(font).ascent();
    picture.top = picture.ascent - line.ascent();
    const QSizeF size(std::ceil(line.naturalTextWidth()), std::ceil(line.height()));
    picture.image = QImage((size * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    picture.image.setDevicePixelRatio(ratio);
    picture.image.fill(Qt::transparent);
    QPainter painter(&picture.image);
    painter.setPen(format.colorProperty(kEmojiColorProperty));
    layout.draw(&painter, QPointF(0, 0));
    painter.end();
    // One larger than the whole cache is not kept; the copy returned shares the image.
    emojiPictures().insert(key, new EmojiPicture(picture), picture.image.sizeInBytes());
    return picture;
}

// Lays an emoji out with the text's ascent, so lines keep the height and baseline they have with
// the glyph itself, and draws its picture there as the glyph would be drawn.
class EmojiObject : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)
public:
    using QObject::QObject;

    QSizeF intrinsicSize(QTextDocument*, int, const QTextFormat& format) override
    {
        // The object stands on the baseline: as tall as the text's ascent, its picture
        // reaching into the descent below.
        const EmojiPicture picture = emojiPicture(format);
        return { picture.advance, picture.ascent };
    }

    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument*, int,
        const QTextFormat& format) override
    {
        const EmojiPicture picture = emojiPicture(format);
        painter->drawImage(QPointF(rect.left(), rect.top() + picture.top), picture.image);
    }
};

qsizetype codePointCount(QStringView text)
{
    qsizetype count = text.size();
    for (qsizetype i = 1; i < text.size(); ++i) {
        if (text[i].isLowSurrogate() && text[i - 1].isHighSurrogate())
            --count;
    }
    return count;
}

// The pieces a grapheme is laid out in: itself, unless it is longer than any real one.
QList<QStringView> graphemePieces(QStringView grapheme)
{
    if (grapheme.size() <= AlertText::kMaxGraphemeCodePoints
        || codePointCount(grapheme) <= AlertText::kMaxGraphemeCodePoints)
        return { grapheme };
    QList<QStringView> pieces;
    qsizetype start = 0;
    qsizetype codePoints = 0;
    for (qsizetype i = 0; i < grapheme.size();) {
        const bool pair = grapheme[i].isHighSurrogate() && i + 1 < grapheme.size()
            && grapheme[i + 1].isLowSurrogate();
        const bool joiner = grapheme[i] == QChar(0x200D);
        i += pair ? 2 : 1;
        if (joiner || ++codePoints == AlertText::kMaxGraphemeCodePoints || i == grapheme.size()) {
            pieces.append(grapheme.sliced(start, i - start));
            start = i;
            codePoints = 0;
        }
    }
    return pieces;
}

// A grapheme the emoji font draws: one with an emoji presentation selector, a code point
// outside the basic plane (emoji, flags, skin tones) or a symbol shown as emoji by default.
bool isEmojiGrapheme(QStringView grapheme)
{
    static constexpr std::pair<char32_t, char32_t> kEmojiPresentation[] = { { 0x231A, 0x231B },
        { 0x23E9, 0x23EC }, { 0x23F0, 0x23F0 }, { 0x23F3, 0x23F3 }, { 0x25FD, 0x25FE },
        { 0x2614, 0x2615 }, { 0x2648, 0x2653 }, { 0x267F, 0x267F }, { 0x2693, 0x2693 },
        { 0x26A1, 0x26A1 }, { 0x26AA, 0x26AB }, { 0x26BD, 0x26BE }, { 0x26C4, 0x26C5 },
        { 0x26CE, 0x26CE }, { 0x26D4, 0x26D4 }, { 0x26EA, 0x26EA }, { 0x26F2, 0x26F3 },
        { 0x26F5, 0x26F5 }, { 0x26FA, 0x26FA }, { 0x26FD, 0x26FD }, { 0x2705, 0x2705 },
        { 0x270A, 0x270B }, { 0x2728, 0x2728 }, { 0x274C, 0x274C }, { 0x274E, 0x274E },
        { 0x2753, 0x2755 }, { 0x2757, 0x2757 }, { 0x2795, 0x2797 }, { 0x27B0, 0x27B0 },
        { 0x27BF, 0x27BF }, { 0x2B1B, 0x2B1C }, { 0x2B50, 0x2B50 }, { 0x2B55, 0x2B55 } };
    if (grapheme.contains(QChar(0xFE0F)))
        return true;
    const char32_t first = grapheme.toUcs4().value(0);
    if (first >= 0x1F000)
        return true;
    return std::ranges::any_of(kEmojiPresentation,
        [first](const auto& range) { return first >= range.first && first <= range.second; });
}

QObject* emojiHandler()
{
    static EmojiObject handler;
    return &handler;
}

} // namespace

AlertText::AlertText(QWidget* parent)
    : QWidget(parent)
{
    m_document.setDocumentMargin(0);
    m_document.setDefaultFont(font());
    m_document.setUndoRedoEnabled(false);
    updateMinimumHeight();
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void AlertText::setRuns(const StyledText& runs)
{
    // Rows set their text again whenever a name arrives; most texts mention none of them.
    if (runs == m_runs)
        return;
    m_runs = runs;
    rebuild();
    setAccessibleName(m_plainText);
    updateMinimumHeight();
    update();
}

void AlertText::rebuild()
{
    m_heights.clear();
    m_picture = QPixmap();
    m_document.clear();
    m_document.setDefaultFont(font());
    m_document.documentLayout()->registerHandler(kEmojiObject, emojiHandler());
    QTextCursor cursor(&m_document);
    m_plainText.clear();
    const QColor textColor = palette().color(QPalette::WindowText);
    QColor codeBackground = textColor;
    codeBackground.setAlphaF(0.08f);
    const QStringList codeFamilies { QFontDatabase::systemFont(QFontDatabase::FixedFont).family() };
    qsizetype weight = 0;
    int breaks = 0;
    for (const StyledRun& run : std::as_const(m_runs)) {
        QTextCharFormat format;
        if (run.link) {
            format.setAnchor(true);
            format.setAnchorHref(run.link->toString(QUrl::FullyEncoded));
        }
        if (run.foreground)
            format.setForeground(
                QColor::fromRgbF(float(run.foreground->red), float(run.foreground->green),
                    float(run.foreground->blue), float(run.foreground->alpha)));
        if (run.underline)
            format.setFontUnderline(true);
        if (run.styles.testFlag(TextStyle::bold))
            format.setFontWeight(QFont::Bold);
        if (run.styles.testFlag(TextStyle::italic))
            format.setFontItalic(true);
        if (run.styles.testFlag(TextStyle::strike))
            format.setFontStrikeOut(true);
        if (run.styles.testAnyFlags(TextStyle::code | TextStyle::codeBlock)) {
            format.setFontFamilies(codeFamilies);
            format.setBackground(codeBackground);
        }
        if (!insertRun(cursor, run.text, format,
                format.hasProperty(QTextFormat::ForegroundBrush) ? format.foreground().color()
                                                                 : textColor,
                weight, breaks))
            break;
    }
    updateMinimumHeight();
    update();
}

bool AlertText::insertRun(QTextCursor& cursor, const QString& text, const QTextCharFormat& format,
    const QColor& color, qsizetype& weight, int& breaks)
{
    // Line breaks stay inside one paragraph, as the lines of one message.
    QString pending;
    const auto flush = [&] {
        if (pending.isEmpty())
            return;
        pending.replace(u"\r\n"_s, QString(QChar::LineSeparator))
            .replace(u'\n', QChar::LineSeparator);
        cursor.insertText(pending, format);
        pending.clear();
    };
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    int emojiInRun = 0;
    const qreal ratio = devicePixelRatioF();
    for (qsizetype end = graphemes.toNextBoundary(); end != -1;
         start = end, end = graphemes.toNextBoundary()) {
        for (const QStringView piece :
            graphemePieces(QStringView(text).sliced(start, end - start))) {
            const bool emoji = isEmojiGrapheme(piece);
            const qsizetype codePoints = codePointCount(piece);
            weight += emoji ? std::max(codePoints, kEmojiWeight) : codePoints;
            if (weight > kMaxDisplayWeight || (piece.contains(u'\n') && ++breaks >= kMaxLines)) {
                flush();
                return false;
            }
            m_plainText += piece;
            if (!emoji) {
                // Text beside the emoji lends the line its descent.
                emojiInRun = 0;
                pending += piece;
                continue;
            }
            flush();
            QTextCharFormat object = format;
            object.setObjectType(kEmojiObject);
            object.setProperty(kEmojiKeyProperty, emojiKey(piece, font(), color, ratio));
            object.setProperty(kEmojiGraphemeProperty, piece.toString());
            object.setProperty(kEmojiFontProperty, font());
            object.setProperty(kEmojiColorProperty, color);
            object.setProperty(kEmojiRatioProperty, ratio);
            object.setFont(font());
            object.setFontUnderline(format.fontUnderline());
            cursor.insertText(QString(QChar::ObjectReplacementCharacter), object);
            // A zero-width space in the text's font gives a line of emoji alone the text's
            // descent (the object stands on the baseline): one follows every few emoji, fewer
            // than a line holds, and one ends the run's text.
            if (++emojiInRun % kEmojiPerSpace == 0)
                pending += QChar(0x200B);
        }
    }
    if (emojiInRun % kEmojiPerSpace != 0)
        pending += QChar(0x200B);
    flush();
    return true;
}

qsizetype AlertText::emojiPictureBytes()
{
    return emojiPictures().totalCost();
}

void AlertText::updateMinimumHeight()
{
    // One line: the rows are sized by heightForWidth(), and laying the text out at another width
    // just for a minimum would shape it once more.
    m_minimumHeight = m_document.isEmpty() ? 0 : QFontMetrics(font()).lineSpacing();
    updateGeometry();
}

void AlertText::layOut(int width) const
{
    if (m_document.textWidth() != width)
        m_document.setTextWidth(width);
}

int AlertText::heightForWidth(int width) const
{
    // Layouts ask again and again, for a few widths: each is laid out once per text.
    for (const auto& [known, height] : m_heights) {
        if (known == width)
            return height;
    }
    layOut(width);
    qreal bottom = 0;
    int lines = 0;
    for (QTextBlock block = m_document.begin(); block.isValid() && lines < kMaxLines;
         block = block.next()) {
        const QTextLayout* layout = block.layout();
        // Block positions are only settled once the document layout has placed the block.
        const QRectF blockRect = m_document.documentLayout()->blockBoundingRect(block);
        for (int i = 0; i < layout->lineCount() && lines < kMaxLines; ++i, ++lines) {
            const QTextLine line = layout->lineAt(i);
            bottom = blockRect.top() + line.y() + line.height();
        }
    }
    const int height = int(std::ceil(bottom));
    if (m_heights.size() >= kRememberedWidths)
        m_heights.removeFirst();
    m_heights.append({ width, height });
    return height;
}

QSize AlertText::sizeHint() const
{
    // The height at the width last asked about, so a hint costs no layout of its own.
    return { kPreferredWidth,
        m_heights.isEmpty() ? heightForWidth(kPreferredWidth) : m_heights.last().second };
}

QSize AlertText::minimumSizeHint() const
{
    return { kMinimumWidth, m_minimumHeight };
}

QString AlertText::anchorAt(QPointF point) const
{
    layOut(width());
    if (!rect().contains(point.toPoint()))
        return {};
    return m_document.documentLayout()->anchorAt(point);
}

void AlertText::paintEvent(QPaintEvent*)
{
    // Drawing text shapes it again, and colour emoji are decoded images: the text is drawn
    // once per text, size and palette, and painted from that picture afterwards.
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (m_picture.size() != pixels || m_picture.devicePixelRatio() != ratio) {
        layOut(width());
        m_picture = QPixmap(pixels);
        m_picture.setDevicePixelRatio(ratio);
        m_picture.fill(Qt::transparent);
        QPainter painter(&m_picture);
        QAbstractTextDocumentLayout::PaintContext context;
        context.palette = palette();
        context.palette.setColor(QPalette::Text, palette().color(QPalette::WindowText));
        // Lines past the limit fall outside the widget's height and are not drawn.
        context.clip = QRectF(rect());
        painter.setClipRect(rect());
        m_document.documentLayout()->draw(&painter, context);
    }
    QPainter(this).drawPixmap(0, 0, m_picture);
}

void AlertText::mousePressEvent(QMouseEvent* event)
{
    m_pressedAnchor = event->button() == Qt::LeftButton ? anchorAt(event->position()) : QString();
    if (m_pressedAnchor.isEmpty())
        event->ignore();
}

void AlertText::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_pressedAnchor.isEmpty()) {
        event->ignore();
        return;
    }
    const QString anchor = std::exchange(m_pressedAnchor, QString());
    if (anchorAt(event->position()) == anchor)
        emit linkActivated(QUrl(anchor, QUrl::StrictMode));
}

void AlertText::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange
        || event->type() == QEvent::StyleChange)
        m_picture = QPixmap();
    // Emoji pictures are drawn for one font, colour and scale.
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange) {
        rebuild();
        updateMinimumHeight();
    }
    QWidget::changeEvent(event);
}

} // namespace halyard

#include "alerttext.moc"
