# The ledger window (quenby_ledger): a standard Qt window over a model of the store's records. Qt
# Widgets and the store's Qt SQL, the shell's error box; no UNO.
add_library(quenby_ledger STATIC
  src/ledger/ledger_model.cpp
  src/ledger/ledger_window.cpp
)
set_target_properties(quenby_ledger PROPERTIES AUTOMOC ON)
quenby_room_include(quenby_ledger ledger)
target_link_libraries(quenby_ledger PUBLIC quenby_shell quenby_store Qt6::Widgets)
