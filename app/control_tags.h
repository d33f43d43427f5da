// Tagging controls with their numeric ids, and placing controls that keep
// their template position.
#pragma once

#include <QRect>
#include <QWidget>

namespace quorvel {

// Sets the "controlId" property and, for a real id, the object name "id<N>".
void TagControl(QWidget* control, int id);

// The id a control was tagged with; 0 when untagged.
int ControlIdOf(const QObject* control);

// The control tagged id among parent's descendants, or nullptr.
QWidget* FindControl(const QWidget* parent, int id);

// A template rectangle in dialog units, in pixels (x 1.5, truncated).
QRect TemplateRect(int x, int y, int width, int height);

// The templates' sizes were made for a narrow 8-point dialog font; this
// gives a dialog a font whose Chinese and Latin texts fit them.
void UseTemplateFont(QWidget* dialog);

}  // namespace quorvel
