#include "store/gram_sums.h"

#include <algorithm>

#include "store/searchable.h"
#include "store/statement.h"

namespace quenby::store {

size_t GramSums::KeyHash::operator()(const Key& k) const noexcept {
  size_t h = std::hash<qint64>{}(k.gram);
  for (const int part : {k.state, k.office, k.piecesScale, k.volumeScale, k.amountScale})
    h = h * 1000003u ^ static_cast<size_t>(part);
  return h;
}

int GramSums::officeIndex(const QString& office) {
  const auto found = std::find(offices_.begin(), offices_.end(), office);
  if (found != offices_.end()) return static_cast<int>(found - offices_.begin());
  offices_.push_back(office.isNull() ? QStringLiteral("") : office);  // bound as text, never NULL
  return static_cast<int>(offices_.size()) - 1;
}

void GramSums::count(const QString& form, const RecordSums& r, int sign) {
  const int office = officeIndex(r.office);
  for (const qint64 gram : formGrams(form.toStdU16String())) {
    Change& c = changes_[{gram, r.state, office, r.piecesScale, r.volumeScale, r.amountScale}];
    c.records += sign;
    c.piecesCount += r.pieces ? sign : 0;
    c.piecesUnits += sign * r.pieces.value_or(0);
    c.volumeCount += r.volume ? sign : 0;
    c.volumeUnits += sign * r.volume.value_or(0);
    c.amountCount += r.amount ? sign : 0;
    c.amountUnits += sign * r.amount.value_or(0);
  }
}

void GramSums::write(const QSqlDatabase& db) {
  if (changes_.empty()) return;
  Statement upsert(
      db,
      "INSERT INTO gram_sums VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"
      " ON CONFLICT (gram, state, office, pieces_scale, volume_scale, amount_scale) DO UPDATE SET"
      " records = records + excluded.records,"
      " pieces_count = pieces_count + excluded.pieces_count,"
      " pieces_units = pieces_units + excluded.pieces_units,"
      " volume_count = volume_count + excluded.volume_count,"
      " volume_units = volume_units + excluded.volume_units,"
      " amount_count = amount_count + excluded.amount_count,"
      " amount_units = amount_units + excluded.amount_units");
  for (const auto& [k, c] : changes_)
    upsert.run({k.gram, k.state, offices_[static_cast<size_t>(k.office)], k.piecesScale, k.volumeScale,
                k.amountScale, c.records, c.piecesCount, c.piecesUnits, c.volumeCount, c.volumeUnits,
                c.amountCount, c.amountUnits});
  changes_.clear();
}

}  // namespace quenby::store
