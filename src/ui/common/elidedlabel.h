#pragma once

#include <QString>
#include <QWidget>

namespace halyard {

// A tooltip that shows `text` literally, cut to kDisplayTextLimit. Qt renders a tooltip that
// looks like markup as rich text (a heading, a table, an image from a local file); such text is
// escaped into a paragraph of its own, other text is left as it is.
QString plainToolTip(const QString& text);

// One line of plain text that asks for its full width and, when the layout gives it less, ends
// in "…" instead of pushing its neighbours out of the panel.
class ElidedLabel : public QWidget {
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    const QString& text() const { return m_text; }
    void setText(const QString& text);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QString m_text;
};

} // namespace halyard
