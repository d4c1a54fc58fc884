#include "shell/question.h"

#include <QMessageBox>
#include <QPushButton>
#include <vector>

namespace quenby::shell {

int choose(QWidget* parent, const QString& text, const QStringList& buttons, int byDefault) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("Quenby"), text, QMessageBox::NoButton, parent);
  std::vector<QPushButton*> added;
  for (qsizetype i = 0; i < buttons.size(); ++i)
    added.push_back(box.addButton(
        buttons[i], i + 1 == buttons.size() ? QMessageBox::RejectRole : QMessageBox::AcceptRole));
  box.setDefaultButton(added.at(static_cast<size_t>(byDefault)));
  box.setEscapeButton(added.back());
  box.exec();
  for (size_t i = 0; i < added.size(); ++i)
    if (box.clickedButton() == added[i]) return static_cast<int>(i);
  return static_cast<int>(added.size()) - 1;
}

Answer ask(QWidget* parent, const QString& text, const QString& act, const QString& refrain,
           Answer byDefault) {
  return choose(parent, text, {act, refrain}, byDefault == Answer::Act ? 0 : 1) == 0 ? Answer::Act
                                                                                     : Answer::Refrain;
}

}  // namespace quenby::shell
