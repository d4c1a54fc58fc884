#include "ledger/ledger_model.h"

namespace quenby::ledger {

using store::Column;

LedgerModel::LedgerModel(store::Ledger& ledger, store::Filter filter,
                         std::function<void(const QuenbyError&)> report, QObject* parent)
    : QAbstractTableModel(parent), ledger_(ledger), report_(std::move(report)), filter_(std::move(filter)) {}

int LedgerModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(totals_.rows);
}

int LedgerModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : store::kColumnCount;
}

const store::LedgerRow* LedgerModel::row(int row) const {
  if (row < 0 || row >= totals_.rows) return nullptr;
  const int page = row / kPageRows;
  std::vector<store::LedgerRow>* rows = pages_.object(page);
  if (!rows) {
    rows = new std::vector<store::LedgerRow>;
    try {
      *rows = ledger_.rows(filter_, sort_, lastId_, page * kPageRows, kPageRows);
    } catch (const QuenbyError& e) {
      report_(e);
    }
    pages_.insert(page, rows);  // the least recently used page goes when there are too many
  }
  const size_t at = static_cast<size_t>(row % kPageRows);
  return at < rows->size() ? &(*rows)[at] : nullptr;
}

QVariant LedgerModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const auto column = static_cast<Column>(index.column());
  if (role == Qt::TextAlignmentRole)
    return QVariant::fromValue(Qt::AlignVCenter | (store::isTotal(column) ? Qt::AlignRight : Qt::AlignLeft));
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
  const store::LedgerRow* r = row(index.row());
  return r ? store::shownText(*r, column) : QString();
}

QVariant LedgerModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
      section >= store::kColumnCount)
    return QAbstractTableModel::headerData(section, orientation, role);
  return store::columnTitle(static_cast<Column>(section));
}

qint64 LedgerModel::recordId(int r) const {
  const store::LedgerRow* found = row(r);
  return found ? found->id : 0;
}

QString LedgerModel::pdfPath(int r) const {
  const store::LedgerRow* found = row(r);
  return found ? found->pdfPath : QString();
}

void LedgerModel::sort(int column, Qt::SortOrder order) {
  if (column < 0 || column >= store::kColumnCount) return;
  readAnew([&] { sort_ = {static_cast<Column>(column), order == Qt::DescendingOrder}; });
}

void LedgerModel::setFilter(const store::Filter& filter) {
  readAnew([&] { filter_ = filter; });
}

void LedgerModel::refresh() {
  readAnew([] {});
}

void LedgerModel::readAnew(const std::function<void()>& change) {
  beginResetModel();
  change();
  pages_.clear();
  totals_ = {};
  lastId_ = 0;
  readFailed_ = false;
  try {
    lastId_ = ledger_.lastId();
    totals_ = ledger_.totals(filter_, lastId_);
  } catch (const QuenbyError& e) {
    totals_ = {};
    readFailed_ = true;
    report_(e);
  }
  endResetModel();
  emit listRead();
}

}  // namespace quenby::ledger
