# The ledger window (quenby_ledger): a standard Qt window over a model of the store's records. Qt
# Widgets and the store's Qt SQL, the shell's error box; no UNO.
add_library(quenby_ledger STATIC
  src/ledger/ledger_model.cpp
  src/ledger/ledger_window.cpp
)
set_target_properties(quenby_ledger PROPERTIES AUTOMOC ON)
target_include_directories(quenby_ledger PUBLIC src)
target_link_libraries(quenby_ledger PUBLIC quenby_ui quenby_store Qt6::Widgets)
if(TARGET quenby_app)
  target_link_libraries(quenby_app PUBLIC quenby_ledger)
endif()
