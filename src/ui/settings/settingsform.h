#pragma once

#include <QColor>

class QIcon;
class QLabel;
class QString;
class QWidget;

// The pieces the settings tabs share, so every tab reads alike.
namespace halyard::settingsform {

inline constexpr int kMargin = 20;

// Orange, for advice the user may ignore.
QColor warningColor();
// A theme icon, or its symbolic variant in themes that have only those.
QIcon themeIcon(const QString& name);
// Small secondary text, wrapped; words in backticks show in code style.
QLabel* helpLabel(const QString& text, QWidget* parent);
// A field's or a block's heading: medium weight.
QLabel* headingLabel(const QString& text, QWidget* parent);
// An upper-case section title in the secondary colour.
QLabel* sectionLabel(const QString& text, QWidget* parent);
// The widget inside a frameless vertical scroll area, for content taller than the window.
QWidget* scrollable(QWidget* content, QWidget* parent);

} // namespace halyard::settingsform
