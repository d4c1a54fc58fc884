// Faults: a data folder that cannot be written, a disk that fills, a damaged database, a second
// process on the same file, and a kill in the middle of a write.
#include <sys/mount.h>
#include <sys/stat.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <map>

#include "sample.h"
#include "store/ledger.h"
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

enum class Unwritable {
  FileInPlaceOfFolder,
  ReadOnlyFolder,
  FullDisk,
  DiskWith60kBLeft,
  StorePathIsAFolder,
  StorePathIsAFifo,
  ImmutableFolder
};

// Each obstacle, and the words that name its cause in the message (a message that names none
// leaves the user guessing which of them holds).
struct Obstacle {
  const char* name;
  Unwritable what;
  const char* says;
};
void PrintTo(const Obstacle& o, std::ostream* os) { *os << o.name; }

class UnwritableFolder : public StoreTest, public ::testing::WithParamInterface<Obstacle> {};

TEST_P(UnwritableFolder, IsReportedOnceWithItsCauseAndEverythingElseDoesNothing) {
  std::optional<Tmpfs> mount;
  auto mountTmpfs = [&](qint64 bytes) {
    mount.emplace(folder(), bytes);
    return mount->error().isEmpty();
  };
  bool immutable = false;
  switch (GetParam().what) {
    case Unwritable::FileInPlaceOfFolder: {
      QFile file(folder());
      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
      break;
    }
    case Unwritable::ReadOnlyFolder:
      if (!mountTmpfs(1 << 20)) GTEST_SKIP() << "cannot mount a tmpfs here: " << mount->error().toStdString();
      ASSERT_EQ(remountReadOnly(folder()), QString());
      break;
    case Unwritable::FullDisk:
      if (!mountTmpfs(64 << 10))
        GTEST_SKIP() << "cannot mount a tmpfs here: " << mount->error().toStdString();
      fill(folder() + QStringLiteral("/filler"));
      break;
    case Unwritable::DiskWith60kBLeft: {
      if (!mountTmpfs(1 << 20)) GTEST_SKIP() << "cannot mount a tmpfs here: " << mount->error().toStdString();
      const QString filler = folder() + QStringLiteral("/filler");
      fill(filler);
      QFile file(filler);
      ASSERT_TRUE(file.resize(file.size() - (60 << 10)));
      break;
    }
    case Unwritable::StorePathIsAFolder:
      ASSERT_TRUE(QDir().mkpath(path()));
      break;
    case Unwritable::StorePathIsAFifo:
      ASSERT_TRUE(QDir().mkpath(folder()));
      ASSERT_EQ(::mkfifo(QFile::encodeName(path()).constData(), 0600), 0);
      break;
    case Unwritable::ImmutableFolder:
      ASSERT_TRUE(QDir().mkpath(folder()));
      immutable = std::system(("chattr +i '" + folder().toStdString() + "' 2>/dev/null").c_str()) == 0;
      if (!immutable) GTEST_SKIP() << "chattr +i is not available here";
      break;
  }

  {
    Store store(path());
    EXPECT_FALSE(store.isOpen());
    const std::optional<QuenbyError> error = store.takeError();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), 1201);
    EXPECT_TRUE(description(*error).contains(QDir::toNativeSeparators(folder()))) << error->description();
    EXPECT_TRUE(description(*error).contains(QString::fromUtf8(GetParam().says))) << error->description();
    store.save(sample(u"x"));
    store.flush();
    store.markUserExit();
    EXPECT_FALSE(store.recover());
    EXPECT_FALSE(store.takeError()) << "told twice";
  }
  if (immutable) std::system(("chattr -i '" + folder().toStdString() + "'").c_str());
}

INSTANTIATE_TEST_SUITE_P(
    Store, UnwritableFolder,
    ::testing::Values(
        Obstacle{"FileInPlaceOfFolder", Unwritable::FileInPlaceOfFolder, "是一个文件，不是文件夹"},
        Obstacle{"ReadOnlyFolder", Unwritable::ReadOnlyFolder, "所在的磁盘是只读的"},
        Obstacle{"FullDisk", Unwritable::FullDisk, "磁盘已满，剩余 0 字节"},
        Obstacle{"DiskWith60kBLeft", Unwritable::DiskWith60kBLeft, "磁盘已满，剩余"},
        Obstacle{"StorePathIsAFolder", Unwritable::StorePathIsAFolder, "“quenby.sqlite”是一个文件夹"},
        Obstacle{"StorePathIsAFifo", Unwritable::StorePathIsAFifo, "“quenby.sqlite”不是普通文件"},
        Obstacle{"ImmutableFolder", Unwritable::ImmutableFolder, "没有在这个文件夹中写入的权限"}),
    [](const auto& info) { return std::string(info.param.name); });

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

// --- what others may read -----------------------------------------------------------------------

// Fault: a store put straight into a shared folder such as /tmp (a benchmark's store) took that
// folder for its own and made it 0700, locking every other user out of it.
TEST_F(StoreTest, ASharedFolderTheStoreIsPutInKeepsItsMode) {
  QTemporaryDir dir;
  ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 01777), 0);
  {
    Store store(dir.filePath(QStringLiteral("quenby.sqlite")));
    ASSERT_TRUE(store.isOpen());
  }
  struct stat st {};
  ASSERT_EQ(::stat(QFile::encodeName(dir.path()).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 01777u);
  ASSERT_EQ(::stat(QFile::encodeName(dir.filePath(QStringLiteral("quenby.sqlite"))).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u) << "the store's own file is still the user's alone";
}

// The folder, the database with its -wal and -shm, the run locks and a damaged store moved aside
// followed the umask: 0644 in 0755 under umask 022, open to all under umask 000.
TEST_F(StoreTest, TheStoresFolderAndFilesAreTheUsersAloneWhateverTheUmask) {
  enum class Before { Nothing, LeftOpenToAll, DamagedAndOpenToAll };
  struct Row {
    const char* what;
    Before before;
  };
  const Row rows[] = {
      {"a new store", Before::Nothing},
      {"a store an older Quenby left open to all", Before::LeftOpenToAll},
      {"a damaged store, moved aside", Before::DamagedAndOpenToAll},
  };
  struct Umask {
    const mode_t old = ::umask(0);
    ~Umask() { ::umask(old); }
  } umask000;
  auto octal = [](mode_t mode) { return QString::number(mode & 07777, 8).toStdString(); };
  for (const Row& row : rows) {
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("share/Quenby"));
    const QString at = data + QStringLiteral("/quenby.sqlite");
    if (row.before != Before::Nothing) {
      { Store(at).save(sample(u"before")); }
      for (const QString& f : {data, data + QStringLiteral("/runs")})
        ::chmod(QFile::encodeName(f).constData(), 0777);
      ::chmod(QFile::encodeName(at).constData(), 0666);
      if (row.before == Before::DamagedAndOpenToAll) QFile(at).resize(QFile(at).size() / 2);
    }
    Store store(at);
    ASSERT_TRUE(store.isOpen()) << row.what;
    store.save(sample(u"now"));
    store.flush();  // the -wal and -shm exist while the store is open

    std::map<QString, mode_t> modes;
    QDirIterator it(data, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(data).constData(), &st), 0);
    modes[QStringLiteral(".")] = st.st_mode;
    while (it.hasNext()) {
      const QString file = it.next();
      ASSERT_EQ(::lstat(QFile::encodeName(file).constData(), &st), 0);
      modes[QDir(data).relativeFilePath(file)] = st.st_mode;
    }
    for (const QString& made : {QStringLiteral("quenby.sqlite"), QStringLiteral("quenby.sqlite-wal"),
                                QStringLiteral("quenby.sqlite-shm"),
                                QStringLiteral("runs/") + store.runId() + QStringLiteral(".lock")})
      EXPECT_TRUE(modes.count(made)) << row.what << ": no " << made.toStdString();
    const auto aside = std::count_if(modes.begin(), modes.end(), [](const auto& m) {
      return m.first.startsWith(QStringLiteral("quenby.sqlite.damaged-"));
    });
    EXPECT_EQ(aside, row.before == Before::DamagedAndOpenToAll ? 1 : 0) << row.what;
    for (const auto& [name, mode] : modes) {
      if (S_ISDIR(mode)) {
        EXPECT_EQ(octal(mode), "700") << row.what << ": the folder " << name.toStdString();
      } else {
        EXPECT_TRUE(S_ISREG(mode)) << row.what << ": " << name.toStdString();
        EXPECT_EQ(octal(mode), "600") << row.what << ": the file " << name.toStdString();
      }
    }
  }
}

// --- a damaged database ------------------------------------------------------------------------

enum class Damage { Truncated, Garbage, PagesOverwritten };

const char* nameOf(Damage damage) {
  switch (damage) {
    case Damage::Truncated:
      return "Truncated";
    case Damage::Garbage:
      return "Garbage";
    case Damage::PagesOverwritten:
      return "PagesOverwritten";
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
    EXPECT_EQ(error->number(), 1202);
    EXPECT_TRUE(description(*error).contains(QDir::toNativeSeparators(moved.fileName())))
        << error->description();
    EXPECT_FALSE(store.recover());
    store.save(sample(u"new"));
  }
  EXPECT_EQ(atStart(path()), sorted(sample(u"new")));
}

INSTANTIATE_TEST_SUITE_P(Store, DamagedDatabase,
                         ::testing::Values(Damage::Truncated, Damage::Garbage, Damage::PagesOverwritten),
                         [](const auto& info) { return std::string(nameOf(info.param)); });

// A store made by a newer Quenby was moved aside like a damaged one, and a new empty store made:
// running an older Quenby once hid every record from the newer one.
TEST_F(StoreTest, AStoreMadeByANewerQuenbyIsLeftExactlyAsItIsAndThisRunSavesNothing) {
  {
    Store newer(path());
    newer.save(sample(u"newer"));
    newer.record(record(kSawnTimber, 1, {{"Text10", -1, u"新华木业"}}));
  }
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("future"));
    db.setDatabaseName(path());
    ASSERT_TRUE(db.open());
    QSqlQuery(QStringLiteral("PRAGMA user_version = 99"), db);
  }
  QSqlDatabase::removeDatabase(QStringLiteral("future"));
  auto bytes = [&] {
    QFile file(path());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  };
  const QByteArray before = bytes();
  const QString files = QDir(folder()).entryList(QDir::Files).join(' ');

  {
    Store older(path());
    EXPECT_FALSE(older.isOpen());
    const std::optional<QuenbyError> error = older.takeError();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), 1203);
    EXPECT_TRUE(description(*error).contains(QDir::toNativeSeparators(path()))) << error->description();
    EXPECT_TRUE(description(*error).contains(QStringLiteral("版本 99"))) << error->description();
    EXPECT_FALSE(description(*error).contains(QStringLiteral("移到"))) << error->description();
    EXPECT_FALSE(older.takeError()) << "told twice";
    older.save(sample(u"older"));
    older.flush();
    EXPECT_FALSE(older.recover());
    EXPECT_THROW(older.record(record(kSawnTimber, 2, {})), QuenbyError);
    older.markUserExit({record(kSawnTimber, 3, {})});
  }
  EXPECT_EQ(QDir(folder()).entryList(QDir::Files).join(' '), files);
  EXPECT_TRUE(bytes() == before) << "the newer store was written";

  const Ledger ledger(path());
  try {
    ledger.lastId();
    ADD_FAILURE() << "a ledger read from a newer store";
  } catch (const QuenbyError& e) {
    EXPECT_TRUE(e.is(StoreError::LedgerUnreadable)) << e.description();
    EXPECT_TRUE(description(e).contains(QStringLiteral("较新版本"))) << e.description();
  }
}

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
    Store mine(path(), std::chrono::milliseconds(200));  // gives up on the stuck writer sooner
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
