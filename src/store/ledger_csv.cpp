#include "store/ledger_csv.h"

#include <QDir>
#include <QSaveFile>

#include "store/store_error.h"

namespace quenby::store {

namespace {

constexpr int kPageRows = 2000;

// The PDF's column tells of a file on this computer, nothing a spreadsheet of the rows can use.
bool inCsv(Column column) { return column != Column::Pdf; }

bool startsLikeFormula(const QString& cell) {
  if (cell.isEmpty()) return false;
  switch (cell.front().unicode()) {
    case u'=':
    case u'+':
    case u'-':
    case u'@':
    case u'\t':
    case u'\r':
      return !plainDecimal(cell.toStdU16String());
    default:
      return false;
  }
}

QByteArray csvCell(QString cell) {
  if (startsLikeFormula(cell)) cell.prepend(u'\'');
  if (cell.contains(u',') || cell.contains(u'"') || cell.contains(u'\n') || cell.contains(u'\r'))
    cell = u'"' + cell.replace(u'"', QStringLiteral("\"\"")) + u'"';
  return cell.toUtf8();
}

QByteArray csvLine(const QStringList& cells) {
  QByteArray line;
  for (qsizetype i = 0; i < cells.size(); ++i) {
    if (i > 0) line += ',';
    line += csvCell(cells[i]);
  }
  return line + "\r\n";
}

}  // namespace

void writeCsv(const Ledger& ledger, const Filter& filter, const Sort& sort, qint64 lastId,
              const QString& path) {
  QSaveFile file(path);
  auto failed = [&] {
    throw storeError(StoreError::CsvNotWritten, QDir::toNativeSeparators(path), file.errorString());
  };
  if (!file.open(QIODevice::WriteOnly)) failed();
  QStringList titles;
  for (int c = 0; c < kColumnCount; ++c)
    if (inCsv(static_cast<Column>(c))) titles << columnTitle(static_cast<Column>(c));
  file.write("\xEF\xBB\xBF");
  file.write(csvLine(titles));
  for (int offset = 0;; offset += kPageRows) {
    const std::vector<LedgerRow> page = ledger.rows(filter, sort, lastId, offset, kPageRows);
    for (const LedgerRow& row : page) {
      QStringList cells;
      for (int c = 0; c < kColumnCount; ++c)
        if (inCsv(static_cast<Column>(c))) cells << shownText(row, static_cast<Column>(c));
      file.write(csvLine(cells));
    }
    if (static_cast<int>(page.size()) < kPageRows) break;
  }
  if (!file.commit()) failed();
}

}  // namespace quenby::store
