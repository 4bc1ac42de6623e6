#include "ui/common/panelstyle.h"

#include <QApplication>
#include <QPainter>
#include <QWidget>

namespace halyard::panelstyle {

namespace {

class Divider : public QWidget {
public:
    explicit Divider(QWidget* parent)
        : QWidget(parent)
    {
        setFixedHeight(1);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter(this).fillRect(rect(), toneColor(palette(), Tone::separator));
    }
};

} // namespace

QColor toneColor(const QPalette& palette, Tone tone)
{
    QColor color = palette.color(QPalette::WindowText);
    switch (tone) {
    case Tone::primary:
        break;
    case Tone::secondary:
        color.setAlphaF(0.62f);
        break;
    case Tone::tertiary:
        color.setAlphaF(0.42f);
        break;
    case Tone::outline:
        color.setAlphaF(0.3f);
        break;
    case Tone::separator:
        color.setAlphaF(0.12f);
        break;
    case Tone::hover:
        color.setAlphaF(0.04f);
        break;
    }
    return color;
}

void setTone(QWidget* widget, Tone tone)
{
    QPalette palette = widget->palette();
    const QColor color = toneColor(palette, tone);
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::ButtonText, color);
    widget->setPalette(palette);
}

QFont textFont(int pixelSize, QFont::Weight weight)
{
    QFont font = QApplication::font();
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

QColor stageColor(AgeStage stage)
{
    switch (stage) {
    case AgeStage::fresh:
        return QColor(0xff, 0xff, 0xff);
    case AgeStage::aging:
        return QColor(0xff, 0xcc, 0x00);
    case AgeStage::stale:
        return QColor(0xff, 0x95, 0x00);
    case AgeStage::overdue:
        return QColor(0xff, 0x3b, 0x30);
    }
    return {};
}

QColor connectionColor(ConnectionState::Kind kind)
{
    switch (kind) {
    case ConnectionState::Kind::disconnected:
        return QColor(0x8e, 0x8e, 0x93);
    case ConnectionState::Kind::connecting:
        return QColor(0xff, 0xcc, 0x00);
    case ConnectionState::Kind::connected:
        return QColor(0x34, 0xc7, 0x59);
    case ConnectionState::Kind::error:
        return QColor(0xff, 0x3b, 0x30);
    }
    return {};
}

QWidget* makeDivider(QWidget* parent)
{
    return new Divider(parent);
}

} // namespace halyard::panelstyle
