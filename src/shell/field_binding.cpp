#include "shell/field_binding.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPointer>

#include "shell/error_guard.h"

namespace quenby::shell {

namespace {

QString qt(const std::u16string& text) { return QString::fromStdU16String(text); }

void showInCombo(QComboBox* combo, const QString& text) {
  if (combo->currentText() == text) return;
  // An entry of the list becomes the current one, so the keys and the list start from it.
  const int entry = combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (entry >= 0 || !combo->isEditable()) {
    combo->setCurrentIndex(entry);
  } else {
    combo->setEditText(text);
  }
}

}  // namespace

void showField(QLineEdit* edit, const Field& field) {
  const QString text = qt(field.text());
  if (edit->text() != text) edit->setText(text);
}

void showField(QComboBox* combo, const Field& field) { showInCombo(combo, qt(field.text())); }

void bindLineEdit(QLineEdit* edit, Field& field, QWidget* guardParent) {
  showField(edit, field);
  QObject::connect(edit, &QLineEdit::textEdited, edit, [&field, guardParent](const QString& text) {
    guarded(guardParent, [&] { field.setText(text.toStdU16String()); });
  });
  field.onChange([widget = QPointer<QLineEdit>(edit), &field] {
    if (widget) showField(widget, field);
  });
}

void bindComboBox(QComboBox* combo, Field& field, QWidget* guardParent) {
  showField(combo, field);
  auto write = [&field, guardParent](const QString& text) {
    guarded(guardParent, [&] { field.setText(text.toStdU16String()); });
  };
  if (combo->isEditable()) QObject::connect(combo->lineEdit(), &QLineEdit::textEdited, combo, write);
  QObject::connect(combo, &QComboBox::textActivated, combo, write);
  field.onChange([widget = QPointer<QComboBox>(combo), &field] {
    if (widget) showField(widget, field);
  });
}

}  // namespace quenby::shell
