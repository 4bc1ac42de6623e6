#pragma once

#include "queue/agingpolicy.h"
#include "settings/connectionstate.h"

#include <QColor>
#include <QFont>
#include <QPalette>

class QWidget;

// The panel content's look in one place: sizes in px, text tones as shares of the palette's text
// colour (so light and dark palettes both work), and the colours that carry meaning.
namespace halyard::panelstyle {

// The panel window's width, its border included; the content fills the rest.
inline constexpr int kPanelWidth = 320;
inline constexpr int kPanelBorder = 1;
inline constexpr int kContentWidth = kPanelWidth - 2 * kPanelBorder;

// `link` is the palette's link colour, for a button that reads as a link.
enum class Tone { primary, secondary, tertiary, outline, separator, hover, link };

QColor toneColor(const QPalette& palette, Tone tone);
// Gives the widget's text the tone of the text colour it inherits, and keeps it so when the
// palette changes (the desktop switches between light and dark).
void setTone(QWidget* widget, Tone tone);
// Gives the widget's text a colour that carries meaning and stays; it ends any tone.
void setFixedTextColor(QWidget* widget, const QColor& color);
QFont textFont(int pixelSize, QFont::Weight weight = QFont::Normal);

QColor stageColor(AgeStage stage);
// The stage as a word, so it is never told by colour alone.
QString stageName(AgeStage stage);
QColor connectionColor(ConnectionState::Kind kind);

// A one-pixel line in the separator tone across the whole width.
QWidget* makeDivider(QWidget* parent);

} // namespace halyard::panelstyle
