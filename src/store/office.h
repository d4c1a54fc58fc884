#pragma once
// This office's name: the name every record made here carries, and the only office whose records
// may be deleted here. The program tells it once, before its store opens (the yard's settings);
// until then, and when told an empty name, it is the host's name.

#include <QString>

namespace quenby::store {

void setThisOffice(const QString& name);
QString thisOffice();

}  // namespace quenby::store
