#include "shell/question.h"

#include <QMessageBox>
#include <QPushButton>

namespace quenby::shell {

Answer ask(QWidget* parent, const QString& text, const QString& act, const QString& refrain,
           Answer byDefault) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("Quenby"), text, QMessageBox::NoButton, parent);
  QPushButton* acting = box.addButton(act, QMessageBox::AcceptRole);
  QPushButton* refraining = box.addButton(refrain, QMessageBox::RejectRole);
  box.setDefaultButton(byDefault == Answer::Act ? acting : refraining);
  box.setEscapeButton(refraining);
  box.exec();
  return box.clickedButton() == acting ? Answer::Act : Answer::Refrain;
}

}  // namespace quenby::shell
