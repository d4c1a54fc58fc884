// Faults: a data folder that cannot be written, a disk that fills, a damaged database, a second
// process on the same file, and a kill in the middle of a write.
#include <sys/mount.h>

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>

#include "sample.h"
#include "store/store_error.h"
#include "store_test_support.h"

namespace quenby::store::testing {
namespace {

std::optional<Snapshot> atStart(const QString& path) {
  Store store(path);
  std::optional<Snapshot> back = store.recover();
  if (back) *back = sorted(*back);
  return back;
}

QString description(const QuenbyError& e) { return QString::fromStdString(e.description()); }

// A tmpfs at `at` for the length of a test; unmounted before the test's folder is removed.
class Tmpfs {
 public:
  Tmpfs(const QString& at, qint64 bytes) : at_(at) {
    QDir().mkpath(at);
    error_ = canMount() ? mountTmpfs(at, bytes) : QStringLiteral("no mount namespace");
  }
  ~Tmpfs() {
    if (error_.isEmpty()) ::umount2(QFile::encodeName(at_).constData(), MNT_DETACH);
  }
  const QString& error() const { return error_; }

 private:
  QString at_;
  QString error_;
};

// --- a data folder that cannot be written ------------------------------------------------------

enum class Unwritable { FileInPlaceOfFolder, ReadOnlyFolder, FullDisk };

const char* nameOf(Unwritable folder) {
  switch (folder) {
    case Unwritable::FileInPlaceOfFolder:
      return "FileInPlaceOfFolder";
    case Unwritable::ReadOnlyFolder:
      return "ReadOnlyFolder";
    case Unwritable::FullDisk:
      return "FullDisk";
  }
  return "";
}
void PrintTo(Unwritable folder, std::ostream* os) { *os << nameOf(folder); }

class UnwritableFolder : public StoreTest, public ::testing::WithParamInterface<Unwritable> {};

TEST_P(UnwritableFolder, IsReportedOnceAndEverythingElseDoesNothing) {
  std::optional<Tmpfs> mount;
  switch (GetParam()) {
    case Unwritable::FileInPlaceOfFolder: {
      QFile file(folder());
      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
      break;
    }
    case Unwritable::ReadOnlyFolder:
      mount.emplace(folder(), 1 << 20);
      if (!mount->error().isEmpty())
        GTEST_SKIP() << "cannot mount a tmpfs here: " << mount->error().toStdString();
      ASSERT_EQ(remountReadOnly(folder()), QString());
      break;
    case Unwritable::FullDisk:
      mount.emplace(folder(), 64 << 10);
      if (!mount->error().isEmpty())
        GTEST_SKIP() << "cannot mount a tmpfs here: " << mount->error().toStdString();
      fill(folder() + QStringLiteral("/filler"));
      break;
  }

  Store store(path());
  EXPECT_FALSE(store.isOpen());
  const std::optional<QuenbyError> error = store.takeError();
  ASSERT_TRUE(error);
  EXPECT_EQ(error->number(), 1201);
  EXPECT_TRUE(description(*error).contains(QDir::toNativeSeparators(folder()))) << error->description();
  store.save(sample(u"x"));
  store.flush();
  store.markUserExit();
  EXPECT_FALSE(store.recover());
  EXPECT_FALSE(store.takeError()) << "told twice";
}

INSTANTIATE_TEST_SUITE_P(Store, UnwritableFolder,
                         ::testing::Values(Unwritable::FileInPlaceOfFolder, Unwritable::ReadOnlyFolder,
                                           Unwritable::FullDisk),
                         [](const auto& info) { return std::string(nameOf(info.param)); });

TEST_F(StoreTest, ADiskThatFillsDuringARunFailsOneSaveAloudAndTheSaveAfterSpaceIsFreedWorks) {
  Tmpfs mount(folder(), 1 << 20);
  if (!mount.error().isEmpty()) GTEST_SKIP() << "cannot mount a tmpfs here: " << mount.error().toStdString();
  Snapshot big = sample(u"big");
  big.sheets[0].fields[0].text = std::u16string(200000, u'木');
  {
    Store store(path());
    ASSERT_TRUE(store.isOpen());
    const QString filler = folder() + QStringLiteral("/filler");
    fill(filler);
    store.save(big);
    store.flush();
    const std::optional<QuenbyError> error = store.takeError();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), 1204);
    store.save(sample(u"still full"));
    store.flush();
    EXPECT_FALSE(store.takeError()) << "told twice";
    ASSERT_TRUE(QFile::remove(filler));
    store.save(sample(u"after"));
  }
  EXPECT_EQ(atStart(path()), sorted(sample(u"after")));
}

// --- a damaged database ------------------------------------------------------------------------

enum class Damage { Truncated, Garbage, PagesOverwritten, NewerSchema };

const char* nameOf(Damage damage) {
  switch (damage) {
    case Damage::Truncated:
      return "Truncated";
    case Damage::Garbage:
      return "Garbage";
    case Damage::PagesOverwritten:
      return "PagesOverwritten";
    case Damage::NewerSchema:
      return "NewerSchema";
  }
  return "";
}
void PrintTo(Damage damage, std::ostream* os) { *os << nameOf(damage); }

class DamagedDatabase : public StoreTest, public ::testing::WithParamInterface<Damage> {};

TEST_P(DamagedDatabase, IsMovedAsideAndANewOneMade) {
  { Store(path()).save(sample(u"old")); }
  QFile file(path());
  switch (GetParam()) {
    case Damage::Truncated:
      ASSERT_TRUE(file.resize(file.size() / 2));
      break;
    case Damage::Garbage:
    case Damage::PagesOverwritten: {  // the first page, with the header and the schema, intact
      ASSERT_TRUE(file.open(QIODevice::ReadWrite));
      const qint64 from = GetParam() == Damage::Garbage ? 0 : 4096;
      QByteArray garbage(static_cast<qsizetype>(file.size() - from), '\0');
      for (qsizetype i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<char>(i * 7919 % 251);
      file.seek(from);
      file.write(garbage);
      file.close();
      break;
    }
    case Damage::NewerSchema: {
      {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("future"));
        db.setDatabaseName(path());
        ASSERT_TRUE(db.open());
        QSqlQuery(QStringLiteral("PRAGMA user_version = 99"), db);
      }
      QSqlDatabase::removeDatabase(QStringLiteral("future"));
      break;
    }
  }
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray damaged = file.readAll();
  file.close();

  {
    Store store(path());
    ASSERT_TRUE(store.isOpen());
    const QStringList aside =
        QDir(folder()).entryList({QStringLiteral("quenby.sqlite.damaged-*")}, QDir::Files);
    ASSERT_EQ(aside.size(), 1) << aside.join(' ').toStdString();
    QFile moved(QDir(folder()).filePath(aside[0]));
    ASSERT_TRUE(moved.open(QIODevice::ReadOnly));
    EXPECT_EQ(moved.readAll(), damaged);

    const std::optional<QuenbyError> error = store.takeError();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), GetParam() == Damage::NewerSchema ? 1203 : 1202);
    EXPECT_TRUE(description(*error).contains(QDir::toNativeSeparators(moved.fileName())))
        << error->description();
    EXPECT_FALSE(store.recover());
    store.save(sample(u"new"));
  }
  EXPECT_EQ(atStart(path()), sorted(sample(u"new")));
}

INSTANTIATE_TEST_SUITE_P(Store, DamagedDatabase,
                         ::testing::Values(Damage::Truncated, Damage::Garbage, Damage::PagesOverwritten,
                                           Damage::NewerSchema),
                         [](const auto& info) { return std::string(nameOf(info.param)); });

// --- two processes -----------------------------------------------------------------------------

TEST_F(StoreTest, TwoProcessesKeepTheirOwnSheetsAndNeitherTakesTheOthersWhileItLives) {
  Driver other({QStringLiteral("hold"), path(), QStringLiteral("other")});
  ASSERT_TRUE(other.waitFor("saved"));
  Store mine(path());
  EXPECT_FALSE(mine.recover()) << "took the sheets of a live process";
  mine.save(sample(u"mine"));
  mine.flush();
  EXPECT_FALSE(mine.takeError());

  other.kill();  // SIGKILL: ended without the user's exit
  EXPECT_EQ(atStart(path()), sorted(sample(u"other")));
}

TEST_F(StoreTest, AProcessStuckInAWriteFailsOneSaveAloudAndSavesGoOnOnceItEnds) {
  Driver stuck({QStringLiteral("hang"), path()});
  ASSERT_TRUE(stuck.waitFor("committing"));
  {
    Store mine(path());
    mine.save(sample(u"while stuck"));
    mine.flush();
    const std::optional<QuenbyError> error = mine.takeError();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), 1204);
    stuck.kill();
    mine.save(sample(u"mine"));
  }
  EXPECT_EQ(atStart(path()), sorted(sample(u"mine")));
  EXPECT_EQ(QDir(folder() + QStringLiteral("/runs")).entryList(QDir::Files), QStringList())
      << "a dead run's lock file stayed behind";
}

// --- a kill in the middle of a write -----------------------------------------------------------

TEST_F(StoreTest, AKillInTheMiddleOfAWriteLeavesTheLastCompleteSnapshot) {
  {
    Driver writer({QStringLiteral("hang"), path()});
    ASSERT_TRUE(writer.waitFor("committing"));
    writer.kill();
  }
  EXPECT_EQ(atStart(path()), sorted(sample(u"A")));
}

}  // namespace
}  // namespace quenby::store::testing
