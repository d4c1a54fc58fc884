#pragma once
// LedgerModel: the ledger's list for a table view. It asks the store's Ledger for the count and
// totals of the rows shown, then reads only the pages of rows the view asks for (a few pages are
// kept), each through its own query, so nothing holds the database between pages. The filter and
// the sort are applied by the database; changing either, or refresh(), reads the list anew against
// the newest record at that moment.

#include <QAbstractTableModel>
#include <QCache>
#include <QHash>
#include <functional>
#include <vector>

#include "calc/error.h"
#include "store/ledger.h"

namespace quenby::ledger {

class LedgerModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  // `ledger` outlives the model; `filter` is the one it starts with. `report` shows a failure to
  // read the list or a page of it; what could not be read stays empty.
  LedgerModel(store::Ledger& ledger, store::Filter filter, std::function<void(const QuenbyError&)> report,
              QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  // Sorts by `column` through the database (the view's header calls it).
  void sort(int column, Qt::SortOrder order) override;

  // These read the list anew.
  void setFilter(const store::Filter& filter);
  void refresh();

  const store::Filter& filter() const { return filter_; }
  const store::Sort& sortOrder() const { return sort_; }
  const store::Totals& totals() const { return totals_; }
  qint64 lastId() const { return lastId_; }
  // Whether the list could not be read the last time (it is empty).
  bool readFailed() const { return readFailed_; }
  // The record shown in `row`, 0 when there is none.
  qint64 recordId(int row) const;
  // The path of its PDF, "" when none was made.
  QString pdfPath(int row) const;

 signals:
  // The list was read anew (its rows and totals may differ).
  void listRead();

 private:
  static constexpr int kPageRows = 200;
  static constexpr int kPagesKept = 16;

  const store::LedgerRow* row(int row) const;
  void readAnew(const std::function<void()>& change);

  store::Ledger& ledger_;
  std::function<void(const QuenbyError&)> report_;
  store::Filter filter_;
  store::Sort sort_;
  qint64 lastId_ = 0;
  bool readFailed_ = false;
  store::Totals totals_;
  mutable QCache<int, std::vector<store::LedgerRow>> pages_{kPagesKept};  // by page, each costs 1
};

}  // namespace quenby::ledger
