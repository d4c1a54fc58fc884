#pragma once
// Ledger: the ledger's records read, summed and deleted through a connection of its own on the
// calling thread (the window's), beside the store's writer: SQLite's write-ahead log lets one
// read while the other writes. Filtering, sorting, paging and the totals all run in SQL, with the
// user's texts always as bound values and the sort chosen from a fixed list of expressions. The
// queries are plain SQL that another database reached through Qt SQL would run as well, but for
// the search, which asks SQLite's full-text index of the search forms (searchable.h) for the
// records holding a term, and reads them by id.
//
// A list is read against a fixed newest record (lastId), so that its pages agree with its totals
// while other runs keep recording. Every failure raises QuenbyError: LedgerUnreadable,
// RecordNotDeleted,
// RecordOfAnotherOffice.

#include <QString>
#include <optional>
#include <vector>

#include "calc/error.h"
#include "store/ledger_rows.h"
#include "store/records.h"

namespace quenby::store {

class Ledger {
 public:
  // Opens the ledger in the store at `path`. A store that cannot be opened makes a ledger whose
  // every call raises LedgerUnreadable, saying why.
  explicit Ledger(const QString& path);
  ~Ledger();
  Ledger(const Ledger&) = delete;
  Ledger& operator=(const Ledger&) = delete;

  bool isOpen() const { return !openFailure_; }

  // The id of the newest record now, 0 when there is none.
  qint64 lastId() const;
  // The count and sums of the records `filter` shows, up to record `lastId`.
  Totals totals(const Filter& filter, qint64 lastId) const;
  // The rows `offset` … `offset + limit - 1` of that list in the order `sort`.
  std::vector<LedgerRow> rows(const Filter& filter, const Sort& sort, qint64 lastId, int offset,
                              int limit) const;
  // A record with every field as kept.
  LedgerRecord record(qint64 id) const;
  // The names of the offices whose records are here, sorted.
  std::vector<QString> offices() const;
  // Deletes a record of this office (office.h), and sends its deletion to the other offices; one
  // already gone is no error. Another office's record raises RecordOfAnotherOffice.
  void remove(qint64 id);
  // Notes the path of a PDF made later for record `id`; raises PdfNotKept.
  void keepPdfPath(qint64 id, const QString& pdfPath);

  const QString& path() const { return path_; }

  // A term of three characters or more whose rarest pair of characters `pairRecords` records or
  // more hold is summed from that pair's kept sums when at most `outside` of those records do not
  // hold the term (20,000 and 5,000); tests set them low.
  void setPairSums(qint64 pairRecords, qint64 outside) {
    pairRecords_ = pairRecords;
    outside_ = outside;
  }

 private:
  // How a search finds its records: through the index, or by reading the forms in time order
  // until the page is full.
  enum class Search { Index, Scan };
  struct Where {
    QString from;  // the FROM clause
    QString sql;   // the WHERE clause
    QVariantList values;
    bool tooLong = false;
  };
  Where where(const Filter& filter, qint64 lastId, Search search = Search::Index) const;
  Search searchForPage(const Filter& filter, const Sort& sort, qint64 lastId, int end) const;
  // The totals of a whole state (or of every record) as record_sums keeps them, or of a term of
  // one or two characters in a state and office as gram_sums does; nothing when the filter asks
  // for more, or when records were added after lastId.
  std::optional<Totals> keptTotals(const Filter& filter, qint64 lastId) const;
  // Whether the filter asks for nothing but a text, the state and the office, which kept sums can
  // answer.
  bool onlyKeptChoices(const Filter& filter, qint64 lastId) const;
  // The totals of a longer term as its rarest pair's kept sums less those of the records holding
  // the pair but not the term; nothing when that pair is rare enough to read the term's records,
  // when the records without the term are many, or when the filter asks for a range of days.
  std::optional<Totals> totalsBesidePair(const Filter& filter, qint64 lastId) const;
  [[noreturn]] void unreadable(const QString& reason) const;
  void ensureOpen() const;

  // The count of the last totals read through the index, by their WHERE clause and values: the
  // page that follows chooses its way by it without asking the index again.
  struct Counted {
    QString sql;
    QVariantList values;
    qint64 rows = 0;
  };
  mutable std::optional<Counted> counted_;
  qint64 pairRecords_ = 20'000;
  qint64 outside_ = 5'000;

  QString path_;
  QString connection_;
  std::optional<QString> openFailure_;
};

}  // namespace quenby::store
