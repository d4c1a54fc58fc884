// The ledger's search through its full-text index: it finds exactly the records a plain scan of the
// search forms finds, whatever the term holds and however the page is read; records made before
// the index are found and summed; deleted records leave the index and the kept totals.
#include <time.h>

#include <QDir>
#include <QSqlDatabase>
#include <set>
#include <vector>

#include "sample.h"
#include "store/ledger.h"
#include "store/schema.h"
#include "store/searchable.h"
#include "store/sql.h"
#include "store/travel.h"
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
    const Filter filter{QString::fromStdU16String(term), {}, {}, {}, {}};
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
    const Filter drafts{filter.text, QDate(1970, 1, 3), QDate(1970, 1, 8), RecordState::Draft, {}};
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

// Runs `sql` with `values` on a connection of the test's own, foreign keys on as in the store.
void run(const QString& path, const QString& sql, std::initializer_list<QVariant> values = {}) {
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("plain"));
    db.setDatabaseName(path);
    ASSERT_TRUE(db.open());
    exec(db, QStringLiteral("PRAGMA foreign_keys = ON"));
    exec(db, sql, values);
    db.close();
  }
  QSqlDatabase::removeDatabase(QStringLiteral("plain"));
}

std::set<qint64> found(const Ledger& ledger, const char16_t* term) {
  const std::vector<qint64> ids =
      idsOf(ledger.rows({QString::fromStdU16String(term), {}, {}, {}, {}}, Sort{}, ledger.lastId(), 0, 100));
  return {ids.begin(), ids.end()};
}

// Fault: a store made before the index keeps its records out of it and out of the kept totals:
// the search finds none of them, the totals of a whole state count none.
TEST_F(SearchIndexTest, RecordsMadeBeforeTheIndexAreFoundAndSummed) {
  ASSERT_TRUE(QDir().mkpath(folder()));
  int before = 0;
  for (const Migration& m : migrations())
    if (m.version < 6) {
      for (const QString& statement : m.statements) run(path(), statement);
      before = m.version;
    }
  run(path(), QStringLiteral("PRAGMA user_version = %1").arg(before));
  // Written as an earlier Quenby did: totals in ten-thousandths with their decimals.
  const QString insert = QStringLiteral(
      "INSERT INTO records (id, at_ms, sheet, worksheet, state, buyer_caption, buyer_text, seller_caption,"
      " seller_text, species, pieces, pieces_units, pieces_scale, volume, volume_units, volume_scale, amount,"
      " amount_units, amount_scale, search) VALUES (?, ?, 'sawn', '锯材账单', ?, '', ?, '', '', '', '', "
      "NULL, 0,"
      " ?, ?, ?, ?, ?, ?, ?)");
  const QVariant none(QMetaType::fromType<qint64>());
  run(path(), insert, {1, 1, 0, "王五", "1.5", 15000, 1, "20.00", 200000, 2, "王五\n\n\n\n"});
  run(path(), insert, {2, 2, 0, "李四", "0.125", 1250, 3, "", none, 0, "李四\n\n\n\n"});
  run(path(), insert, {3, 3, 1, "王六", "2", 20000, 0, "abc", none, 0, "王六\n\n\n\n"});
  { Store store(path()); }
  Ledger ledger(path());
  EXPECT_EQ(found(ledger, u"王"), (std::set<qint64>{1, 3}));
  EXPECT_EQ(found(ledger, u"四"), (std::set<qint64>{2}));
  const Totals exported = ledger.totals({{}, {}, {}, RecordState::Exported, {}}, ledger.lastId());
  EXPECT_EQ(exported.rows, 2);
  EXPECT_EQ(shownSum(exported.pieces), "");
  EXPECT_EQ(shownSum(exported.volume), "1.625");
  EXPECT_EQ(shownSum(exported.amount), "20.00");
  const Totals all = ledger.totals({}, ledger.lastId());
  EXPECT_EQ(all.rows, 3);
  EXPECT_EQ(shownSum(all.volume), "3.625");
  EXPECT_EQ(shownSum(ledger.totals({QStringLiteral("王"), {}, {}, {}, {}}, ledger.lastId()).volume), "3.5")
      << "the grams of the records already there are summed";
}

// Fault: a deleted record stays in the index, so that a new record given its id is found by the
// old record's texts; or stays in the kept totals; or the kept totals count records added after
// the newest one the list was read against.
TEST_F(SearchIndexTest, DeletedRecordsLeaveTheIndexAndTheTotals) {
  {
    Store store(path());
    store.markUserExit({record(kSawnTimber, 1, {{"Text10", -1, u"王五"}, {"Text8", -1, u"1.5"}}),
                        record(kSawnTimber, 2, {{"Text10", -1, u"李四"}, {"Text8", -1, u"0.25"}}),
                        record(kSawnTimber, 3, {{"Text10", -1, u"王六"}, {"Text8", -1, u"2"}})});
  }
  Ledger ledger(path());
  ASSERT_EQ(ledger.lastId(), 3);
  ledger.remove(3);                                                      // the newest: its id comes again
  run(path(), QStringLiteral("DELETE FROM records WHERE id = ?"), {2});  // as any other statement may
  EXPECT_EQ(found(ledger, u"王"), std::set<qint64>{1});
  EXPECT_EQ(found(ledger, u"李"), std::set<qint64>{});
  EXPECT_EQ(shownSum(ledger.totals({}, ledger.lastId()).volume), "1.5");
  {
    Store store(path());
    store.record(record(kSawnTimber, 4, {{"Text10", -1, u"赵七"}, {"Text8", -1, u"0.5"}}));
    store.record(record(kSawnTimber, 5, {{"Text10", -1, u"钱八"}, {"Text8", -1, u"0.75"}}));
  }
  ASSERT_EQ(ledger.lastId(), 3) << "the ids of the deleted records are used again";
  EXPECT_EQ(found(ledger, u"李"), std::set<qint64>{});
  EXPECT_EQ(found(ledger, u"六"), std::set<qint64>{});
  EXPECT_EQ(found(ledger, u"赵"), std::set<qint64>{2});
  EXPECT_EQ(found(ledger, u"钱八"), std::set<qint64>{3});
  const Totals now = ledger.totals({}, 3);
  EXPECT_EQ(now.rows, 3);
  EXPECT_EQ(shownSum(now.volume), "2.75");
  const Totals before = ledger.totals({{}, {}, {}, RecordState::Exported, {}}, 1);
  EXPECT_EQ(before.rows, 1);
  EXPECT_EQ(shownSum(before.volume), "1.5");
}

// Fault: a page's records entered the index after its deletions, so that a record deleted in its
// own page stayed in the index under the id the next record of the page took.
TEST_F(SearchIndexTest, ARecordDeletedInTheSamePageFetchedLeavesTheIndex) {
  Store(path()).markUserExit();
  const auto fields = [](const char16_t* buyer) {
    return packFields(record(kSawnTimber, 0, {{"Text10", -1, buyer}}).sheet.fields);
  };
  const QString office = QStringLiteral("磅房");
  const QString gone = QStringLiteral("00000000-0000-4000-8000-000000000001");
  Travel(path()).receive({{false, gone, office, 1, QStringLiteral("sawn"), 0, fields(u"孙九")},
                          {true, gone, office, 0, {}, 0, {}},
                          {false, QStringLiteral("00000000-0000-4000-8000-000000000002"), office, 2,
                           QStringLiteral("sawn"), 0, fields(u"周十")}},
                         {QStringLiteral("9"), 3});
  Ledger ledger(path());
  ASSERT_EQ(ledger.lastId(), 1) << "the later record takes the deleted one's id";
  EXPECT_EQ(found(ledger, u"孙"), std::set<qint64>{});
  EXPECT_EQ(found(ledger, u"周十"), std::set<qint64>{1});
}

// Fault: the kept sums of a term of one or two characters count a record that was deleted, miss
// one fetched from another office, hold a record's total under another column, or give one
// office's or state's records to another.
TEST_F(SearchIndexTest, TheTotalsOfATermOfOneOrTwoCharactersAreThoseOfItsRecords) {
  {
    Store store(path());
    store.markUserExit(
        {record(kSawnTimber, 1, {{"Text10", -1, u"王五"}, {"Text8", -1, u"1.5"}, {"Text9", -1, u"30.00"}}),
         record(kSawnTimber, 2, {{"Text10", -1, u"王六"}, {"Text8", -1, u"2"}}, RecordState::Draft),
         record(kSawnTimber, 3, {{"Text10", -1, u"李四王"}, {"Text8", -1, u"0.25"}}, RecordState::Draft)});
  }
  const auto fields = [](const char16_t* buyer, const char16_t* volume) {
    return packFields(record(kSawnTimber, 0, {{"Text10", -1, buyer}, {"Text8", -1, volume}}).sheet.fields);
  };
  Travel(path()).receive({{false, QStringLiteral("00000000-0000-4000-8000-000000000007"),
                           QStringLiteral("磅房"), 4, QStringLiteral("sawn"), 0, fields(u"王七", u"0.125")}},
                         {QStringLiteral("9"), 1});
  Ledger ledger(path());
  ledger.remove(2);  // 王六
  struct Row {
    const char16_t* term;
    std::optional<RecordState> state;
    std::optional<QString> office;
    qint64 rows;
    const char* volume;
    const char* amount;
  };
  const Row rows[] = {
      {u"王", {}, {}, 3, "1.875", "30.00"},
      {u"王", RecordState::Exported, {}, 2, "1.625", "30.00"},
      {u"王", RecordState::Draft, {}, 1, "0.25", ""},
      {u"王", {}, QStringLiteral("磅房"), 1, "0.125", ""},
      {u"王五", {}, {}, 1, "1.5", "30.00"},
      {u"四王", {}, {}, 1, "0.25", ""},
      {u"五王", {}, {}, 0, "", ""},
      {u"六", {}, {}, 0, "", ""},
  };
  for (const Row& row : rows) {
    const Totals t = ledger.totals({QString::fromStdU16String(row.term), {}, {}, row.state, row.office}, 4);
    const std::string what = QString::fromStdU16String(row.term).toStdString();
    EXPECT_EQ(t.rows, row.rows) << what;
    EXPECT_EQ(shownSum(t.volume), row.volume) << what;
    EXPECT_EQ(shownSum(t.amount), row.amount) << what;
  }
}

// Fault: a longer term summed from its rarest pair of characters kept the records that hold the
// pair but not the term, or their decimals (the sum shows the most decimals of the records
// summed), or was summed as though a pair no record holds were held.
TEST_F(SearchIndexTest, ALongerTermIsItsRarestPairLessTheRecordsWithoutTheTerm) {
  const auto sawn = [](qint64 at, const char16_t* buyer, const char16_t* volume, RecordState state,
                       const char16_t* amount = u"") {
    return record(kSawnTimber, at, {{"Text10", -1, buyer}, {"Text8", -1, volume}, {"Text9", -1, amount}},
                  state);
  };
  const RecordState exported = RecordState::Exported;
  Store(path()).markUserExit({sawn(1, u"城东木材公司", u"1.5", exported, u"30.00"),
                              sawn(2, u"木材公司", u"0.25", RecordState::Draft),
                              sawn(3, u"公司", u"2", exported), sawn(4, u"木材厂", u"0.5", exported),
                              sawn(5, u"材公园", u"0.125", exported), sawn(6, u"公司", u"3", exported)});
  Ledger ledger(path());
  ledger.setPairSums(1, 1);  // every pair's sums are used, when one record at most lacks the term
  struct Row {
    const char16_t* term;
    std::optional<RecordState> state;
    qint64 rows;
    const char* volume;
    const char* amount;
  };
  const Row rows[] = {
      {u"木材公司", {}, 2, "1.75", "30.00"},  // 木材 less 木材厂
      {u"材公司", {}, 2, "1.75", "30.00"},    // 材公 less 材公园, whose three decimals go with it
      {u"木材公司", exported, 1, "1.5", "30.00"},
      {u"城东木材公司", {}, 1, "1.5", "30.00"},
      {u"木材厂", {}, 1, "0.5", ""},
      {u"木材园", {}, 0, "", ""},
  };
  for (const Row& row : rows) {
    const Totals t = ledger.totals({QString::fromStdU16String(row.term), {}, {}, row.state, {}}, 6);
    const std::string what = QString::fromStdU16String(row.term).toStdString();
    EXPECT_EQ(t.rows, row.rows) << what;
    EXPECT_EQ(shownSum(t.volume), row.volume) << what;
    EXPECT_EQ(shownSum(t.amount), row.amount) << what;
  }
}

}  // namespace
}  // namespace quenby::store::testing
