#pragma once
// What assistive technology (a screen reader, the accessibility bus) is told about the windows:
// a drop-down list is named by its label, and a few helper controls are kept out of its way.
class QWidget;

namespace orasent {

// Installs the program's accessible interfaces. Call once a QApplication exists, before the
// first window is built; later calls do nothing.
void installAccessibleInterfaces();

// The control stays on screen and works as before, but assistive technology is told it is not
// there (with `plainName` for tools that list it anyway), and Tab passes it by.
void hideFromAssistiveTechnology(QWidget* control, const char* plainName);

// Whether hideFromAssistiveTechnology was called for the control.
bool isHiddenFromAssistiveTechnology(const QWidget* control);

} // namespace orasent
