# The shared ledger (quenby_yard): the yard's PostgreSQL server through Qt SQL's QPSQL driver (the
# plugin libqt6sql6-psql, loaded at run time), its schema, and the thread that sends this office's
# records and fetches the others'. Over the store; no windows.
add_library(quenby_yard STATIC
  src/yard/server.cpp
  src/yard/sync.cpp
  src/yard/sync_notifier.cpp
  src/yard/yard_settings.cpp
)
quenby_room_include(quenby_yard yard)
set_target_properties(quenby_yard PROPERTIES AUTOMOC ON)
target_link_libraries(quenby_yard PUBLIC quenby_store quenby_threads Qt6::Core Qt6::Sql)
