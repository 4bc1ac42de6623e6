#include "ui/alerttext.h"

#include <QAbstractTextDocumentLayout>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTextBlock>
#include <QTextLayout>

#include <cmath>
#include <utility>

namespace halyard {

namespace {

// Asked for when the layout has no width yet.
constexpr int kPreferredWidth = 220;
constexpr int kMinimumWidth = 40;

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

void AlertText::setHtml(const QString& html)
{
    m_heights.clear();
    m_picture = QPixmap();
    m_document.setHtml(html);
    setAccessibleName(m_document.toPlainText());
    updateMinimumHeight();
    update();
}

void AlertText::updateMinimumHeight()
{
    // The height at unlimited width: layouts take minimum heights as they are, and the height
    // at the minimum width would make every row as tall as the longest text can get.
    m_minimumHeight = heightForWidth(QWIDGETSIZE_MAX);
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
    return { kPreferredWidth, heightForWidth(kPreferredWidth) };
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
    if (event->type() == QEvent::FontChange) {
        m_heights.clear();
        m_document.setDefaultFont(font());
        updateMinimumHeight();
    }
    QWidget::changeEvent(event);
}

} // namespace halyard
