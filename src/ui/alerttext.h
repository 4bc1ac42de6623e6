#pragma once

#include <QList>
#include <QPixmap>
#include <QTextDocument>
#include <QUrl>
#include <QWidget>

namespace halyard {

// Message text as rich text, cut after kMaxLines lines. A click on a link emits linkActivated
// and is taken; every other click is left to the parent, so the row around the text can treat
// the text as part of its own click area.
class AlertText : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMaxLines = 3;

    explicit AlertText(QWidget* parent = nullptr);

    // An HTML fragment whose text is already escaped.
    void setHtml(const QString& html);
    QString plainText() const { return m_document.toPlainText(); }
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
    void layOut(int width) const;
    void updateMinimumHeight();

    static constexpr qsizetype kRememberedWidths = 4;

    // Laid out lazily for whatever width is asked about.
    mutable QTextDocument m_document;
    mutable QList<std::pair<int, int>> m_heights;
    QPixmap m_picture;
    QString m_pressedAnchor;
    int m_minimumHeight = 0;
};

} // namespace halyard
