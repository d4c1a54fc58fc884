#pragma once
// The yard's settings, under [yard] in ~/.config/Quenby/Quenby.conf: `server=` names the yard's
// PostgreSQL database as a libpq connection string or service (`service=quenby`,
// `host=… dbname=…`), and `office=` this office's name (the host's name when not given). Without a
// server nothing travels. A password is never kept here: libpq's ~/.pgpass and service file hold it.

#include <QString>

namespace quenby::yard {

struct YardSettings {
  QString server;  // empty: the shared ledger is off
  QString office;  // empty: the host's name
};

YardSettings readYardSettings();

}  // namespace quenby::yard
