// Qt's own texts, which the program never writes itself, come up in Chinese like the rest: the
// buttons of a message box and the commands of a field's context menu.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <memory>

namespace quenby {
namespace {

TEST(QtTexts, MessageBoxButtonsAreChinese) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("Quenby"), QStringLiteral("？"),
                  QMessageBox::Ok | QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(box.button(QMessageBox::Ok)->text().toStdString(), "确定");
  EXPECT_EQ(box.button(QMessageBox::Yes)->text().toStdString(), "是(&Y)");
  EXPECT_EQ(box.button(QMessageBox::No)->text().toStdString(), "否(&N)");
}

TEST(QtTexts, FieldContextMenuIsChinese) {
  QLineEdit field(QStringLiteral("4.000"));
  const std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
  QStringList commands;
  for (const QAction* action : menu->actions()) {
    if (!action->isSeparator()) commands << action->text().section(QLatin1Char('\t'), 0, 0);
  }
  EXPECT_EQ(commands.join(QLatin1Char('|')).toStdString(),
            "撤消(&U)|重做(&R)|剪切(&T)|复制(&C)|粘贴(&P)|删除|全选");
}

}  // namespace
}  // namespace quenby
