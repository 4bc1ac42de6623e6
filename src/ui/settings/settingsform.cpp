#include "ui/settings/settingsform.h"

#include "ui/common/panelstyle.h"

#include <QIcon>
#include <QLabel>
#include <QScrollArea>

using namespace Qt::Literals::StringLiterals;

namespace halyard::settingsform {

QColor warningColor()
{
    return QColor(0xff, 0x95, 0x00);
}

QIcon themeIcon(const QString& name)
{
    const QIcon icon = QIcon::fromTheme(name);
    return icon.isNull() ? QIcon::fromTheme(name + u"-symbolic"_s) : icon;
}

QLabel* helpLabel(const QString& text, QWidget* parent)
{
    // Backticks mark code words; everything else is plain text.
    QString html;
    const QStringList parts = text.split(u'`');
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString escaped = parts.at(i).toHtmlEscaped();
        html += i % 2 == 1 ? u"<code>"_s + escaped + u"</code>"_s : escaped;
    }
    auto* label = new QLabel(html, parent);
    label->setTextFormat(Qt::RichText);
    label->setWordWrap(true);
    label->setFont(panelstyle::textFont(11));
    panelstyle::setTone(label, panelstyle::Tone::secondary);
    return label;
}

QLabel* headingLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(panelstyle::textFont(12, QFont::Medium));
    return label;
}

QLabel* sectionLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text.toUpper(), parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(panelstyle::textFont(11, QFont::DemiBold));
    panelstyle::setTone(label, panelstyle::Tone::secondary);
    return label;
}

QWidget* scrollable(QWidget* content, QWidget* parent)
{
    auto* area = new QScrollArea(parent);
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The keyboard goes to the controls inside, which the area scrolls into view; the area itself
    // would be a stop with nothing to show for it.
    area->setFocusPolicy(Qt::NoFocus);
    area->setWidget(content);
    // The content keeps the window's background instead of the view's base colour.
    area->viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
    return area;
}

} // namespace halyard::settingsform
