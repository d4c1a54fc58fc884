#pragma once
// Two-way binding between a widget and a sheet field. Only the user's own edits write the field
// (textEdited, textActivated), so programmatic updates cannot loop; a field change writes the
// widget only when its text differs, so typing keeps its caret and undo history.

#include "calc/field.h"

class QComboBox;
class QLineEdit;
class QWidget;

namespace quenby::shell {

// `guardParent` is the window whose error guard runs the field's change rules.
void bindLineEdit(QLineEdit* edit, Field& field, QWidget* guardParent);
void bindComboBox(QComboBox* combo, Field& field, QWidget* guardParent);

// Shows the field's text in its widget as a change of the field does; the field hears nothing
// of it (a programmatic set emits neither textEdited nor textActivated).
void showField(QLineEdit* edit, const Field& field);
void showField(QComboBox* combo, const Field& field);

}  // namespace quenby::shell
