// The ledger's search through its full-text index: it finds exactly the records a plain scan of the
// search forms finds, whatever the term holds and however the page is read; records made before
// the index are found and summed; deleted records leave the index and the kept totals.
#include <time.h>

#include <QSqlDatabase>
#include <set>
#include <vector>

#include "sample.h"
#include "store/ledger.h"
#include "store/schema.h"
#include "store/searchable.h"
#include "store/sql.h"
#include "store_test_support.h"

namespace quenby::store::testing {
namespace {

class SearchIndexTest : public StoreTest {
 protected:
  void SetUp() override {
    qputenv("TZ", "UTC");
    ::tzset();
  }
  // The ids of the records whose search form holds `term`, read by LIKE over every form on a
  // connection of the test's own: the scan the index stands in for.
  std::set<qint64> scanned(const std::u16string& term, const QString& extra = {}) {
    std::set<qint64> ids;
    {
      QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("scan"));
      db.setDatabaseName(path());
      EXPECT_TRUE(db.open());
      exec(db, QStringLiteral("PRAGMA case_sensitive_like = ON"));
      QSqlQuery query =
          exec(db, QStringLiteral("SELECT id FROM records WHERE search LIKE ? ESCAPE '\\'") + extra,
               {likePattern(term)});
      while (query.next()) ids.insert(query.value(0).toLongLong());
      db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("scan"));
    return ids;
  }
};

std::vector<qint64> idsOf(const std::vector<LedgerRow>& rows) {
  std::vector<qint64> ids;
  for (const LedgerRow& row : rows) ids.push_back(row.id);
  return ids;
}

// Fault: a term's tokens that differ from the texts' (a surrogate pair split in one of them, case
// folded in one only), a phrase that finds its characters apart or across two texts, query syntax
// typed by the user taken as syntax, or a page read one way disagreeing with the next read the
// other way (a page of a term many records hold is read in time order, a few found through the
// index).
TEST_F(SearchIndexTest, TheIndexFindsExactlyWhatAScanOfTheFormsFinds) {
  const std::vector<std::u16string> texts = {
      u"王建国",
      u"王 建国",
      u"建国王",
      u"城东木材公司",
      u"木材",
      u"材木",
      u"Zhang Wei",
      u"ZHANG",
      u"ＺＨＡＮＧ",
      u"ΣΟΦΙΑ",
      u"\"quoted\" AND OR NOT",
      u"a*b ^c d:e (f) g-h +i",
      u"NEAR(x y)",
      u"100% a_b back\\slash 'single'",
      u"x\xD800y",
      u"\xDC00",
      u"\xD83D\xDE00 smile",
      u"\xFFFD\xE000",
      u"aaaa",
      u"a\nb",
      u"",
  };
  constexpr qint64 kDay = 86'400'000;
  {
    Store store(path());
    std::vector<LedgerRecord> records;
    // Each text in a header field of its own, and twice more beside another: found in either.
    for (size_t i = 0; i < texts.size(); ++i)
      records.push_back(record(kSawnTimber, static_cast<qint64>(i) * kDay, {{"Text10", -1, texts[i]}},
                               i % 3 ? RecordState::Exported : RecordState::Draft));
    for (size_t i = 0; i < texts.size(); ++i)
      records.push_back(record(kSawnTimber, static_cast<qint64>(i) * kDay + 1,
                               {{"Text11", -1, texts[i]}, {"Text13", -1, texts[(i + 1) % texts.size()]}}));
    store.markUserExit(records);
  }
  const std::vector<std::u16string> terms = {
      u"王",         u"建国",
      u"王建",       u"国王",
      u"木",         u"木材",
      u"材木",       u"城东木材公司",
      u"zhang",      u"ZHANG",
      u"ｚｈａｎｇ", u"σ",
      u"Σ",          u"\"",
      u"\"quoted\"", u"AND",
      u"OR",         u"NOT",
      u"and",        u"*",
      u"a*",         u"^",
      u":",          u"(",
      u")",          u"(f)",
      u"-",          u"g-h",
      u"+",          u"NEAR(x y)",
      u"NEAR",       u"%",
      u"_",          u"\\",
      u"'",          u"%a",
      u"a_b",        u"\xD800",
      u"\xDC00",     u"\xD83D",
      u"\xDE00",     u"\xD83D\xDE00",
      u"\xFFFD",     u"\xE000",
      u"aa",         u"aaa",
      u"aaaaa",      u"a b",
      u"\n",         u"a\nb",
      u"b",          u" ",
      u"王 建",      u"公司城东",
  };
  Ledger ledger(path());
  const qint64 last = ledger.lastId();
  for (const std::u16string& term : terms) {
    const QString what = QString::fromStdU16String(term).toHtmlEscaped();
    const Filter filter{QString::fromStdU16String(term), {}, {}, {}};
    const std::set<qint64> expected = scanned(term);
    const std::vector<qint64> page = idsOf(ledger.rows(filter, Sort{}, last, 0, 1000));
    EXPECT_EQ(std::set<qint64>(page.begin(), page.end()), expected) << what.toStdString();
    EXPECT_EQ(ledger.totals(filter, last).rows, static_cast<qint64>(expected.size())) << what.toStdString();
    // One row a page: the first pages of a term many records hold are read in time order.
    std::vector<qint64> paged;
    for (int offset = 0; offset < static_cast<int>(page.size()); ++offset)
      for (qint64 id : idsOf(ledger.rows(filter, Sort{}, last, offset, 1))) paged.push_back(id);
    EXPECT_EQ(paged, page) << what.toStdString();
    const std::vector<qint64> byBuyer = idsOf(ledger.rows(filter, Sort{Column::Buyer, false}, last, 0, 1000));
    EXPECT_EQ(std::set<qint64>(byBuyer.begin(), byBuyer.end()), expected) << what.toStdString();
    // With the state and a range of days: the drafts of January 3rd to 8th, 1970 (UTC).
    const Filter drafts{filter.text, QDate(1970, 1, 3), QDate(1970, 1, 8), RecordState::Draft};
    const std::set<qint64> expectedDrafts =
        scanned(term, QStringLiteral(" AND state <> 0 AND at_ms >= 172800000 AND at_ms < 691200000"));
    const std::vector<qint64> draftPage = idsOf(ledger.rows(drafts, Sort{}, last, 0, 1000));
    EXPECT_EQ(std::set<qint64>(draftPage.begin(), draftPage.end()), expectedDrafts) << what.toStdString();
    EXPECT_EQ(ledger.totals(drafts, last).rows, static_cast<qint64>(expectedDrafts.size()))
        << what.toStdString();
  }
  // The scan itself is no empty answer: the terms find what they say.
  EXPECT_EQ(scanned(u"王").size(), 7u);
  EXPECT_EQ(scanned(u"\"quoted\"").size(), 3u);
  EXPECT_EQ(scanned(u"\xD800").size(), 3u);
}

}  // namespace
}  // namespace quenby::store::testing
