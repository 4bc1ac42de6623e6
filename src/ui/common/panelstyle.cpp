#include "ui/common/panelstyle.h"

#include <QApplication>
#include <QEvent>
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

constexpr char kToneProperty[] = "halyardTone";

void applyTone(QWidget* widget)
{
    const QVariant tone = widget->property(kToneProperty);
    if (!tone.isValid())
        return;
    const QWidget* parent = widget->isWindow() ? nullptr : widget->parentWidget();
    const QColor color = toneColor(parent ? parent->palette() : QApplication::palette(widget),
        static_cast<Tone>(tone.toInt()));
    QPalette palette = widget->palette();
    if (palette.color(QPalette::WindowText) == color
        && palette.color(QPalette::ButtonText) == color)
        return;
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::ButtonText, color);
    widget->setPalette(palette);
}

// A tone is set as an explicit text colour, which no longer follows the palette it came from:
// this derives it again whenever that palette changes. It watches the parent too, since a change
// of the text colour alone changes nothing in a child that set its own.
class ToneKeeper : public QObject {
public:
    static ToneKeeper& instance()
    {
        static ToneKeeper keeper;
        return keeper;
    }

    void keep(QWidget* widget)
    {
        widget->installEventFilter(this);
        if (QWidget* parent = widget->parentWidget())
            parent->installEventFilter(this);
        applyTone(widget);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* widget = static_cast<QWidget*>(watched);
        if (event->type() == QEvent::ParentChange && widget->property(kToneProperty).isValid()) {
            keep(widget);
        } else if (event->type() == QEvent::PaletteChange) {
            applyTone(widget);
            for (QObject* child : widget->children()) {
                if (child->isWidgetType() && child->property(kToneProperty).isValid())
                    applyTone(static_cast<QWidget*>(child));
            }
        }
        return false;
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
    case Tone::link:
        color = palette.color(QPalette::Link);
        break;
    }
    return color;
}

void setTone(QWidget* widget, Tone tone)
{
    widget->setProperty(kToneProperty, static_cast<int>(tone));
    ToneKeeper::instance().keep(widget);
}

void setFixedTextColor(QWidget* widget, const QColor& color)
{
    widget->setProperty(kToneProperty, QVariant());
    QPalette palette = widget->palette();
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

QString stageName(AgeStage stage)
{
    switch (stage) {
    case AgeStage::fresh:
        return QCoreApplication::translate("halyard::panelstyle", "Fresh");
    case AgeStage::aging:
        return QCoreApplication::translate("halyard::panelstyle", "Aging");
    case AgeStage::stale:
        return QCoreApplication::translate("halyard::panelstyle", "Stale");
    case AgeStage::overdue:
        return QCoreApplication::translate("halyard::panelstyle", "Overdue");
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
