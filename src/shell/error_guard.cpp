#include "shell/error_guard.h"

#include <QMessageBox>
#include <QString>

namespace quenby::shell {

std::string errorMessage(int number, const std::string& description) {
  return "错误 " + std::to_string(number) + "：" + description;
}

void reportError(QWidget* parent, int number, const std::string& description) noexcept {
  try {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Quenby"),
                    QString::fromStdString(errorMessage(number, description)), QMessageBox::Ok, parent);
    box.exec();
  } catch (...) {
    // Nothing is left to report with; the handler has already stopped.
  }
}

}  // namespace quenby::shell
