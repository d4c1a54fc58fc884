# The user's store (quenby_store): the autosaved sheets of each run in one SQLite database per
# user, through Qt SQL's SQLite driver (the plugin libqt6sql6-sqlite, loaded at run time). Qt Core
# and Qt SQL over the sheet room; no windows, and no calculator: the ledger's columns come from
# the calculators' descriptors at run time (records.h).
find_package(Qt6 REQUIRED COMPONENTS Core Sql)
# SQLite's own C interface on the same connections, for the statements run once per record of a
# page fetched (statement.h): the library the Qt driver loads, libsqlite3.
find_package(SQLite3 REQUIRED)

add_library(quenby_store STATIC
  src/store/database.cpp
  src/store/decimal.cpp
  src/store/gram_sums.cpp
  src/store/ledger.cpp
  src/store/ledger_csv.cpp
  src/store/ledger_rows.cpp
  src/store/records.cpp
  src/store/run_lock.cpp
  src/store/runs.cpp
  src/store/schema.cpp
  src/store/searchable.cpp
  src/store/snapshot.cpp
  src/store/sql.cpp
  src/store/statement.cpp
  src/store/store.cpp
  src/store/store_error.cpp
  src/store/store_files.cpp
  src/store/office.cpp
  src/store/travel.cpp
  src/store/writer.cpp
)
quenby_room_include(quenby_store store)
target_link_libraries(quenby_store PUBLIC quenby_sheet quenby_threads Qt6::Core Qt6::Sql PRIVATE SQLite::SQLite3)
