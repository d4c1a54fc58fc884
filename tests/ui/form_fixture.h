#pragma once
// The fixture of a sheet window's own tests: one window of its kind, shown and active, exporting
// into a recording host, with the ways the tests reach its controls, type into them and take a
// snapshot of what they show.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "recording_host.h"
#include "support/sheet_texts.h"
#include "ui_test_support.h"

namespace quenby::testing {

template <class Form>
class FormFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    form = std::make_unique<Form>(recordingServices(rec));
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  }

  QLineEdit* edit(std::string_view name, int index = -1) {
    return form->template control<QLineEdit>({name, index});
  }
  QComboBox* box(std::string_view name) { return form->template control<QComboBox>({name}); }
  std::string focusName() const { return testing::focusName(*form); }
  void click(std::string_view button) { QTest::mouseClick(form->control({button}), Qt::LeftButton); }
  void retype(QLineEdit* target, const QString& keys) { testing::retype(target, keys); }
  // Replaces the whole text key by key; a character beyond ASCII comes as an input method sends it.
  void type(std::string_view name, int index, const QString& keys) {
    QLineEdit* e = edit(name, index);
    e->setFocus();
    e->selectAll();
    for (QChar key : keys) {
      if (key.unicode() < 128) {
        QTest::keyClick(e, key.toLatin1());
      } else {
        QKeyEvent typed(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(key));
        QApplication::sendEvent(e, &typed);
      }
    }
  }
  // Replaces the whole text with words committed at once, as by an input method.
  void commit(QLineEdit* target, const QString& words) {
    target->setFocus();
    target->selectAll();
    QKeyEvent typed(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, words);
    QApplication::sendEvent(target, &typed);
  }

  // Every field of the sheet by its address with its text.
  std::map<std::string, std::string> fields() const { return fieldTexts(form->sheet()); }
  // What the widget of every field shows, in the sheet's order.
  std::vector<std::pair<std::string, QString>> widgetTexts() const {
    std::vector<std::pair<std::string, QString>> all;
    for (const NamedField& f : form->sheet().fields()) {
      QWidget* w = form->control(f.id);
      if (auto* e = qobject_cast<QLineEdit*>(w)) all.emplace_back(toString(f.id), e->text());
      if (auto* c = qobject_cast<QComboBox*>(w)) all.emplace_back(toString(f.id), c->currentText());
    }
    return all;
  }

  Recording rec;
  std::unique_ptr<Form> form;
};

}  // namespace quenby::testing
