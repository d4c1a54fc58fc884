// The ledger's records in the store: a record comes back as kept; the search finds what it says
// and nothing else, Latin letters whatever their case, also in a store made before it folded them
// (whose records become this office's, with UUIDs, to send);
// date ranges at month and year ends in local days; exact sums; the CSV file;
// two processes recording at once; a store that cannot be written or read.
#include <time.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QUuid>
#include <set>

#include "sample.h"
#include "store/ledger.h"
#include "store/ledger_csv.h"
#include "store/office.h"
#include "store/schema.h"
#include "store/sql.h"
#include "store/store_error.h"
#include "store/travel.h"
#include "store_test_support.h"

namespace quenby::store::testing {
namespace {

// The local time of every case: eight hours ahead of UTC, no summer time.
class LedgerTest : public StoreTest {
 protected:
  void SetUp() override {
    qputenv("TZ", "Asia/Shanghai");
    ::tzset();
  }
  // The `atMs` of each record `filter` shows, newest first.
  std::set<qint64> shown(const Ledger& ledger, const Filter& filter) {
    std::set<qint64> at;
    for (const LedgerRow& row : ledger.rows(filter, Sort{}, ledger.lastId(), 0, 1000)) at.insert(row.atMs);
    return at;
  }
};

qint64 utc(const char* iso) {
  return QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODateWithMs).toMSecsSinceEpoch();
}

TEST_F(LedgerTest, ARecordComesBackFieldByFieldAsRecorded) {
  const LedgerRecord kept = record(kLogTally, 1,
                                   {{"Text17", -1,
                                     u"A\xD800"
                                     u"B"},
                                    {"Text1", 0, std::u16string(u"x\0y", 3)},
                                    {"Combo4", -1, u"林班小班"},
                                    {"Text19", 2, u""}},
                                   RecordState::Draft);
  Store store(path());
  store.record(kept);
  Ledger ledger(path());
  EXPECT_EQ(ledger.record(ledger.lastId()).sheet, kept.sheet);
  EXPECT_EQ(ledger.record(ledger.lastId()).state, RecordState::Draft);
}

TEST_F(LedgerTest, TheSearchFindsWhatItSaysAndNothingElse) {
  const std::u16string longText = std::u16string(9'999, u'林') + u"尾";
  const std::vector<std::vector<FieldText>> texts = {
      {{"Text10", -1, u"O'Brien"}},                    // 0
      {{"Text10", -1, u"say \"hi\""}},                 // 1
      {{"Text10", -1, u"100% 纯"}},                    // 2
      {{"Text10", -1, u"a_b"}},                        // 3
      {{"Text12", -1, u"back\\slash"}},                // 4
      {{"Text13", -1, u"x\xD800y"}},                   // 5: a lone surrogate
      {{"Text14", -1, u"Wang"}},                       // 6
      {{"Text14", -1, u"wang"}},                       // 7
      {{"Text11", -1, u"\xD83D\xDE00"}},               // 8: one character, a surrogate pair
      {{"Text11", -1, u"\xFFFD"}},                     // 9
      {{"Text11", -1, u"\xE000"}},                     // 10: private use
      {{"Text10", -1, u"AB"}, {"Text11", -1, u"CD"}},  // 11: two fields
      {{"Text11", -1, longText}},                      // 12
      {{"Text9", -1, u"Wang"}},                        // 13: no header field
      {{"Text12", -1, u"Zhang Wei"}},                  // 14
      {{"Text12", -1, u"ＺＨＡＮＧ"}},                 // 15: full-width Latin capitals
      {{"Text12", -1, u"ΣΟΦΙΑ"}},                      // 16: Greek capitals
      {{"Text12", -1, u"Ärger"}},                      // 17: a Latin capital beyond A–Z
  };
  {
    Store store(path());
    std::vector<LedgerRecord> records;
    for (size_t i = 0; i < texts.size(); ++i)
      records.push_back(record(kSawnTimber, static_cast<qint64>(i), texts[i]));
    store.markUserExit(records);
  }
  struct Row {
    const char* what;
    std::u16string term;
    std::set<qint64> found;
  };
  const Row rows[] = {
      {"a quote", u"'", {0}},
      {"a double quote", u"\"", {1}},
      {"a percent sign, no wildcard", u"%", {2}},
      {"an underscore, no wildcard", u"_", {3}},
      {"a backslash, no escape", u"\\", {4}},
      {"a lone surrogate", u"\xD800", {5}},
      {"capitals", u"Wang", {6, 7}},
      {"small letters", u"wang", {6, 7}},
      {"all capitals", u"WANG", {6, 7}},
      {"zhang, in either case", u"zhang", {14}},
      {"full-width letters in either case, not their ASCII ones", u"ｚｈａｎｇ", {15}},
      {"a Latin letter beyond A–Z in either case", u"äRGER", {17}},
      {"Greek letters keep their case", u"σοφια", {}},
      {"Greek letters as typed", u"ΣΟΦΙΑ", {16}},
      {"half of a surrogate pair", u"\xD83D", {}},
      {"the whole pair", u"\xD83D\xDE00", {8}},
      {"U+FFFD, not the lone surrogate", u"\xFFFD", {9}},
      {"a private-use character, not the hidden form", u"\xE000", {10}},
      {"across two fields", u"BC", {}},
      {"10,000 characters", longText, {12}},
      {"10,001 characters", longText + u"!", {}},
      {"longer than a search may be (50,001 bytes)", std::u16string(16667, u'长'), {}},
      {"nothing: every record", u"", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17}},
  };
  Ledger ledger(path());
  for (const Row& row : rows) {
    const Filter filter{QString::fromStdU16String(row.term), {}, {}, {}, {}};
    EXPECT_EQ(shown(ledger, filter), row.found) << row.what;
    EXPECT_EQ(ledger.totals(filter, ledger.lastId()).rows, static_cast<qint64>(row.found.size())) << row.what;
  }
}

// Fault: a store made before the search folded Latin letters keeps its records' old forms, where
// `zhang` does not find the `Zhang` recorded then.
TEST_F(LedgerTest, AStoreOfTheSecondVersionHasItsSearchFormsWrittenAnew) {
  ASSERT_TRUE(QDir().mkpath(folder()));
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("version2"));
    db.setDatabaseName(path());
    ASSERT_TRUE(db.open());
    for (const Migration& m : migrations())
      if (m.version <= 2)
        for (const QString& statement : m.statements) exec(db, statement);
    exec(db, QStringLiteral("PRAGMA user_version = 2"));
    // The record as the second version wrote it, its search form the five header texts as typed.
    exec(db,
         QStringLiteral(
             "INSERT INTO records (id, at_ms, sheet, worksheet, state, buyer_caption, buyer_text,"
             " seller_caption, seller_text, species, pieces, pieces_scale, volume, volume_scale, amount,"
             " amount_scale, search) VALUES (1, 1, ?, '锯材账单', 0, '', 'Zhang Wei', '', 'Ｌｉ', '', '', 0,"
             " '', 0, '', 0, ?)"),
         {QString::fromStdString(std::string(kSawnTimber)), QStringLiteral("Zhang Wei\n\nＬｉ\n\n")});
    exec(db, QStringLiteral("INSERT INTO record_fields (record_id, fields) VALUES (1, ?)"),
         {packFields({{"Text10", -1, u"Zhang Wei"}, {"Text13", -1, u"Ｌｉ"}})});
    db.close();
  }
  QSqlDatabase::removeDatabase(QStringLiteral("version2"));
  setThisOffice(QStringLiteral("老厂"));
  { Store store(path()); }
  Ledger ledger(path());
  for (const char16_t* term : {u"zhang", u"ｌｉ", u"Zhang"})
    EXPECT_EQ(shown(ledger, {QString::fromStdU16String(term), {}, {}, {}, {}}), std::set<qint64>{1})
        << QString::fromStdU16String(term).toStdString();
  // The record made before records travelled is this office's, with a UUID, and waits to be sent.
  EXPECT_EQ(ledger.rows({}, {}, ledger.lastId(), 0, 10).at(0).office, QStringLiteral("老厂"));
  const std::vector<TravellingEntry> unsent = Travel(path()).unsent(10);
  ASSERT_EQ(unsent.size(), 1u);
  EXPECT_FALSE(QUuid::fromString(unsent[0].uuid).isNull()) << unsent[0].uuid.toStdString();
  setThisOffice({});
}

TEST_F(LedgerTest, DateRangesAreLocalDaysAtMonthAndYearEnds) {
  const qint64 jan31Last = utc("2024-01-31T23:59:59.999+08:00"),
               feb1First = utc("2024-02-01T00:00:00.000+08:00"),
               feb29Last = utc("2024-02-29T23:59:59.999+08:00"),
               mar1First = utc("2024-03-01T00:00:00.000+08:00"),
               dec31Last = utc("2024-12-31T23:59:00.000+08:00"),
               jan1First = utc("2025-01-01T00:00:00.000+08:00");
  {
    Store store(path());
    std::vector<LedgerRecord> records;
    for (qint64 at : {jan31Last, feb1First, feb29Last, mar1First, dec31Last, jan1First})
      records.push_back(record(kSawnTimber, at, {}));
    store.markUserExit(records);
  }
  struct Row {
    const char* what;
    Period period;
    QDate today;
    std::set<qint64> found;
  };
  const Row rows[] = {
      {"last month from March 31st: all of a leap February",
       Period::LastMonth,
       {2024, 3, 31},
       {feb1First, feb29Last}},
      {"this month on February 10th", Period::ThisMonth, {2024, 2, 10}, {feb1First, feb29Last}},
      {"this month on its first day", Period::ThisMonth, {2024, 3, 1}, {mar1First}},
      {"last month across the year's end", Period::LastMonth, {2025, 1, 15}, {dec31Last}},
      {"today, the year's last day", Period::Today, {2024, 12, 31}, {dec31Last}},
      {"today, the year's first day", Period::Today, {2025, 1, 1}, {jan1First}},
  };
  Ledger ledger(path());
  for (const Row& row : rows) {
    const auto [from, to] = periodOf(row.period, row.today);
    EXPECT_EQ(shown(ledger, {{}, from, to, {}, {}}), row.found) << row.what;
  }
}

TEST_F(LedgerTest, TotalsAreExactSumsOfTheTextsShownWithTheirDecimals) {
  std::vector<LedgerRecord> records;
  for (int i = 0; i < 100'000; ++i)
    records.push_back(record(
        kLogTally, i,
        {{"Text17", -1, u"many"}, {"Text19", 4, u"1"}, {"Text19", 3, u"0.001"}, {"Text19", 2, u"0.01"}}));
  // A few rows of every kind: signs, scales, texts that are no plain decimals, the amount taken
  // at the average price when the graded amount is empty.
  const std::u16string volumes[] = {u"1.5",   u"-0.125",           u"abc",     u"",
                                    u"1E+16", u"99999999999.9999", u"0.12345", u" 2"};
  for (size_t i = 0; i < std::size(volumes); ++i)
    records.push_back(record(kLogTally, 1'000'000 + static_cast<qint64>(i),
                             {{"Text17", -1, u"few"}, {"Text19", 3, volumes[i]}, {"Text29", -1, u"2.50"}}));
  {
    Store store(path());
    store.markUserExit(records);
  }
  Ledger ledger(path());
  const Totals many = ledger.totals({QStringLiteral("many"), {}, {}, {}, {}}, ledger.lastId());
  EXPECT_EQ(many.rows, 100'000);
  EXPECT_EQ(shownSum(many.pieces), "100000");
  EXPECT_EQ(shownSum(many.volume), "100.000");
  EXPECT_EQ(shownSum(many.amount), "1000.00");
  const Totals few = ledger.totals({QStringLiteral("few"), {}, {}, {}, {}}, ledger.lastId());
  EXPECT_EQ(few.rows, 8);
  EXPECT_EQ(shownSum(few.pieces), "");
  EXPECT_EQ(shownSum(few.volume), "100000000001.3749");
  EXPECT_EQ(shownSum(few.amount), "20.00");
}

TEST_F(LedgerTest, TheCsvFileHoldsTheRowsShownAsShownAndNoFormula) {
  setThisOffice(QStringLiteral("=地磅房"));  // an office's name is a text like the others
  {
    Store store(path());
    store.markUserExit({
        record(kLogTally, utc("2024-03-31T23:59:00+08:00"),
               {{"Combo4", -1, u"=HYPERLINK(\"x\")"},
                {"Text17", -1, u"王"},
                {"Combo5", -1, u"出货单位"},
                {"Text20", -1, u"He said \"hi\", twice"},
                {"Text27", -1, u"=1+1 杉木"},
                {"Text19", 4, u"-1.5"},
                {"Text19", 3, u"+3"},
                {"Text19", 2, u"-1+1"}},
               RecordState::Draft),
        record(kSawnTimber, utc("2024-04-01T08:05:00+08:00"),
               {{"Combo3", -1, u"公司名称"}, {"Text10", -1, u"新华\n木业"}, {"Text8", -1, u"1.2345"}}),
        record(kMultiLength, utc("2024-04-02T00:00:00+08:00"), {{"Text29", -1, u"@木材"}}),
        record(kMultiLength, utc("2024-04-03T00:00:00+08:00"), {{"Text29", -1, u"not shown"}}),
    });
  }
  Ledger ledger(path());
  const QString csv = scratch(QStringLiteral("账单记录.csv"));
  writeCsv(ledger, {}, Sort{Column::At, false}, ledger.lastId(), csv);
  writeCsv(ledger, {QStringLiteral("木"), {}, {}, {}, {}}, Sort{Column::At, false}, ledger.lastId(),
           csv);  // replaces it
  QFile file(csv);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(
      file.readAll().toStdString(),
      std::string("\xEF\xBB\xBF"
                  "日期时间,账单,买方,卖方,树种,件数,材积（立方米）,金额（元）,状态,办公室\r\n"
                  "2024-03-31 23:59,原木一,\"'=HYPERLINK(\"\"x\"\")：王\",\"出货单位：He said \"\"hi\"\", "
                  "twice\",'=1+1 杉木,-1.5,'+3,'-1+1,未导出,'=地磅房\r\n"
                  "2024-04-01 08:05,锯材账单,\"公司名称：新华\n木业\",,,,1.2345,,已导出,'=地磅房\r\n"
                  "2024-04-02 00:00,原木二,,,'@木材,,,,已导出,'=地磅房\r\n"));
  setThisOffice({});
  EXPECT_EQ(QDir(scratch({})).entryList({QStringLiteral("*.csv*")}, QDir::Files), QStringList{"账单记录.csv"})
      << "a temporary file stayed behind";
}

TEST_F(LedgerTest, TwoProcessesRecordingAtOnceLoseAndDoubleNothing) {
  constexpr int kEach = 40;
  { Store made(path()); }
  Driver a({QStringLiteral("record"), path(), QStringLiteral("A"), QString::number(kEach)});
  Driver b({QStringLiteral("record"), path(), QStringLiteral("B"), QString::number(kEach)});
  {
    Store mine(path());
    for (int i = 0; i < kEach; ++i) mine.record(record(kSawnTimber, i, {{"Text10", -1, u"C"}}));
  }
  ASSERT_TRUE(a.waitFor("recorded"));
  ASSERT_TRUE(b.waitFor("recorded"));
  Ledger ledger(path());
  EXPECT_EQ(ledger.totals({}, ledger.lastId()).rows, 3 * kEach);
  for (const char* tag : {"A", "B", "C"})
    EXPECT_EQ(ledger.totals({QString::fromLatin1(tag), {}, {}, {}, {}}, ledger.lastId()).rows, kEach) << tag;
}

TEST_F(LedgerTest, AStoreThatCannotBeWrittenOrReadSaysSo) {
  QFile inTheWay(folder());
  ASSERT_TRUE(inTheWay.open(QIODevice::WriteOnly));  // a file where the data folder should be
  Store store(path());
  try {
    store.record(record(kSawnTimber, 1, {}));
    ADD_FAILURE() << "a record into a store that cannot be written";
  } catch (const QuenbyError& e) {
    EXPECT_TRUE(e.is(StoreError::RecordFailed));
    EXPECT_TRUE(QString::fromStdString(e.description()).startsWith("账单已导出，但没有记入账单记录"))
        << e.description();
  }
  const Ledger ledger(path());
  EXPECT_FALSE(ledger.isOpen());
  try {
    ledger.lastId();
    ADD_FAILURE() << "a ledger read from a store that cannot be opened";
  } catch (const QuenbyError& e) {
    EXPECT_TRUE(e.is(StoreError::LedgerUnreadable)) << e.description();
  }
}

}  // namespace
}  // namespace quenby::store::testing
