#pragma once
// The kept totals of the records holding each gram of their search forms (searchable.h,
// schema.h: gram_sums). Changes are gathered here, record by record, and written at once: a page
// of fetched records changes each gram's row once, not once for each of its records.

#include <QSqlDatabase>
#include <QString>
#include <optional>
#include <unordered_map>

namespace quenby::store {

// What a record adds to the sums of each gram of its form.
struct RecordSums {
  int state = 0;
  QString office;
  std::optional<qint64> pieces, volume, amount;  // ten-thousandths; nothing: no plain number
  int piecesScale = 0, volumeScale = 0, amountScale = 0;
};

class GramSums {
 public:
  // Adds the record with search form `form` (sign 1) or takes it away (sign -1).
  void count(const QString& form, const RecordSums& record, int sign);
  // Writes what was gathered into gram_sums inside the caller's transaction, and forgets it.
  // Throws SqlError.
  void write(const QSqlDatabase& db);
  // The rows of gram_sums the changes gathered will write.
  size_t held() const { return changes_.size(); }

 private:
  struct Key {
    qint64 gram;
    int state;
    int office;  // in offices_
    int piecesScale, volumeScale, amountScale;
    bool operator==(const Key&) const = default;
  };
  struct KeyHash {
    size_t operator()(const Key& k) const noexcept;
  };
  struct Change {
    qint64 records = 0;
    qint64 piecesCount = 0, piecesUnits = 0, volumeCount = 0, volumeUnits = 0, amountCount = 0,
           amountUnits = 0;
  };
  int officeIndex(const QString& office);

  std::vector<QString> offices_;
  std::unordered_map<Key, Change, KeyHash> changes_;
};

}  // namespace quenby::store
