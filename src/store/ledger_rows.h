#pragma once
// The ledger's list as the user sees it, shared by the window and the CSV file: its columns and
// their titles, a record's row and each of its cells as shown, the totals under the list, and the
// filter (a search text, a range of local days and the state) with the periods offered at one click.

#include <QDate>
#include <QString>
#include <optional>
#include <utility>

#include "store/records.h"

namespace quenby::store {

enum class Column { At, Worksheet, Buyer, Seller, Species, Pieces, Volume, Amount, State, Office, Pdf };
inline constexpr int kColumnCount = static_cast<int>(Column::Pdf) + 1;

QString columnTitle(Column column);
// The totals' columns, whose cells are numbers.
bool isTotal(Column column);

// One record as the list shows it.
struct LedgerRow {
  qint64 id = 0;
  qint64 atMs = 0;
  QString worksheet;
  HeaderLine buyer;
  HeaderLine seller;
  QString species;
  QString pieces;
  QString volume;
  QString amount;
  RecordState state = RecordState::Exported;
  QString office;        // the office that made the record
  QString pdfPath = {};  // the bill's PDF on this computer; empty: none was made
};

// A cell as shown: the time in local time ("2024-03-31 23:59"), a header line as
// "caption：text" (empty when the text is), a total as recorded, the state as "已导出", "未导出"
// or, for a draft kept from a run no start brought back, "未导出（自动恢复）", the PDF as "有"
// while its file is there.
QString shownText(const LedgerRow& row, Column column);
// Whether the record has its PDF: one was made and its file is there.
bool hasPdf(const LedgerRow& row);

// Which records the list shows: those whose header texts contain `text` (all when it is empty)
// and, when given, that were made from 00:00 local time of `from` to 24:00 local time of `to` and
// that are in `state` (exported bills or drafts).
struct Filter {
  QString text;
  std::optional<QDate> from;
  std::optional<QDate> to;
  // Exported: the bills exported; Draft: every draft, those kept from runs no start brought back
  // included; nothing: every record.
  std::optional<RecordState> state;
  // The records of this office alone (its name, as Ledger::offices gives it); nothing: every office's.
  std::optional<QString> office;
};

// Instants in milliseconds since the epoch: the first of `from`, and the first after `to`.
std::pair<qint64, qint64> localDays(QDate from, QDate to);

enum class Period { Today, ThisMonth, LastMonth };
// The first and last day of `period` as seen on `today`.
std::pair<QDate, QDate> periodOf(Period period, QDate today);

struct Sort {
  Column column = Column::At;
  bool descending = true;
};

// A column's sum over the rows shown: nothing when no row holds a number there, else exact, with
// as many decimals as the rows carry.
struct Sum {
  std::optional<qint64> units;
  int scale = 0;
};

struct Totals {
  qint64 rows = 0;
  Sum pieces;
  Sum volume;
  Sum amount;
  bool searchTooLong = false;  // the database cannot match a text this long: nothing is shown
};

QString shownSum(const Sum& sum);  // "" when there is nothing to sum

}  // namespace quenby::store
