#include "store/ledger_rows.h"

#include <QDateTime>
#include <QFileInfo>

namespace quenby::store {

QString columnTitle(Column column) {
  switch (column) {
    case Column::At:
      return QStringLiteral("日期时间");
    case Column::Worksheet:
      return QStringLiteral("账单");
    case Column::Buyer:
      return QStringLiteral("买方");
    case Column::Seller:
      return QStringLiteral("卖方");
    case Column::Species:
      return QStringLiteral("树种");
    case Column::Pieces:
      return QStringLiteral("件数");
    case Column::Volume:
      return QStringLiteral("材积（立方米）");
    case Column::Amount:
      return QStringLiteral("金额（元）");
    case Column::State:
      return QStringLiteral("状态");
    case Column::Office:
      return QStringLiteral("办公室");
    case Column::Pdf:
      return QStringLiteral("PDF");
  }
  return {};
}

bool isTotal(Column column) {
  return column == Column::Pieces || column == Column::Volume || column == Column::Amount;
}

namespace {

QString lineText(const HeaderLine& line) {
  return line.text.isEmpty() ? QString() : line.caption + QStringLiteral("：") + line.text;
}

}  // namespace

bool hasPdf(const LedgerRow& row) { return !row.pdfPath.isEmpty() && QFileInfo(row.pdfPath).isFile(); }

QString shownText(const LedgerRow& row, Column column) {
  switch (column) {
    case Column::At:
      return QDateTime::fromMSecsSinceEpoch(row.atMs).toLocalTime().toString(
          QStringLiteral("yyyy-MM-dd HH:mm"));
    case Column::Worksheet:
      return row.worksheet;
    case Column::Buyer:
      return lineText(row.buyer);
    case Column::Seller:
      return lineText(row.seller);
    case Column::Species:
      return row.species;
    case Column::Pieces:
      return row.pieces;
    case Column::Volume:
      return row.volume;
    case Column::Amount:
      return row.amount;
    case Column::State:
      switch (row.state) {
        case RecordState::Exported:
          break;
        case RecordState::Draft:
          return QStringLiteral("未导出");
        case RecordState::RecoveredDraft:
          return QStringLiteral("未导出（自动恢复）");
      }
      return QStringLiteral("已导出");
    case Column::Office:
      return row.office;
    case Column::Pdf:
      return hasPdf(row) ? QStringLiteral("有") : QString();
  }
  return {};
}

std::pair<qint64, qint64> localDays(QDate from, QDate to) {
  // startOfDay: midnight, or the first instant of the day where a clock change skips midnight.
  return {from.startOfDay().toMSecsSinceEpoch(), to.addDays(1).startOfDay().toMSecsSinceEpoch()};
}

std::pair<QDate, QDate> periodOf(Period period, QDate today) {
  const QDate first(today.year(), today.month(), 1);
  switch (period) {
    case Period::Today:
      break;
    case Period::ThisMonth:
      return {first, first.addMonths(1).addDays(-1)};
    case Period::LastMonth:
      return {first.addMonths(-1), first.addDays(-1)};
  }
  return {today, today};
}

QString shownSum(const Sum& sum) { return sum.units ? formatUnits(*sum.units, sum.scale) : QString(); }

}  // namespace quenby::store
