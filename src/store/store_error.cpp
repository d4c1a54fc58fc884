#include "store/store_error.h"

namespace quenby::store {

namespace {

// 1206 says what happened, then why; the ledger window's line repeats why.
const QString kRecordFailedLead = QStringLiteral("账单已导出，但没有记入账单记录：");
const QString kRecordFailedCause = QStringLiteral("无法写入“%1”%2。");

}  // namespace

QuenbyError storeError(StoreError code, const QString& where, const QString& reason) {
  QString text;
  switch (code) {
    case StoreError::FolderUnwritable:
      text = QStringLiteral("无法在文件夹“%1”中保存数据%2。本次输入的内容不会自动保存，其他功能照常使用。");
      break;
    case StoreError::Damaged:
      text = QStringLiteral("保存数据的文件已损坏%2，已将它移到“%1”，并新建了数据文件。");
      break;
    case StoreError::NewerVersion:
      text = QStringLiteral(
          "保存数据的文件“%1”由较新版本的 Quenby 写入%2。本程序不会改动它：本次输入的内容不会自动保存，"
          "导出的账单也不会记入账单记录，其他功能照常使用。");
      break;
    case StoreError::SaveFailed:
      text = QStringLiteral("自动保存到“%1”失败%2。请检查磁盘空间；程序会在下次修改时再次保存。");
      break;
    case StoreError::ReadFailed:
      text = QStringLiteral("无法读取“%1”中上次保存的数据%2，本次从空白表格开始。");
      break;
    case StoreError::RecordFailed:
      text = kRecordFailedLead + kRecordFailedCause;
      break;
    case StoreError::LedgerUnreadable:
      text = QStringLiteral("无法读取账单记录“%1”%2。计算和导出照常使用。");
      break;
    case StoreError::RecordNotDeleted:
      text = QStringLiteral("无法从“%1”中删除这条账单记录%2。");
      break;
    case StoreError::RecordOfAnotherOffice:
      text = QStringLiteral("这条账单记录由办公室“%1”建立，只能在那里删除%2。");
      break;
    case StoreError::CsvNotWritten:
      text = QStringLiteral("无法把账单记录写入文件“%1”%2。");
      break;
    case StoreError::PdfNotOpened:
      text = QStringLiteral("无法打开“%1”%2。");
      break;
    case StoreError::PdfNotKept:
      text = QStringLiteral("PDF 已生成（%1），但没有记入账单记录%2。");
      break;
  }
  const QString because = reason.isEmpty() ? QString() : QStringLiteral("（%1）").arg(reason);
  return QuenbyError(code, text.arg(where, because).toStdString());
}

QString unrecordedExports(int count, const QuenbyError& last) {
  QString why = QString::fromStdString(last.description());
  if (why.startsWith(kRecordFailedLead)) why.remove(0, kRecordFailedLead.size());
  return QStringLiteral("本次运行中有 %1 张已导出的账单没有记入账单记录：").arg(count) + why;
}

}  // namespace quenby::store
