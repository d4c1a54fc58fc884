#include "store/office.h"

#include <QSysInfo>
#include <mutex>

namespace quenby::store {

namespace {

struct OfficeName {
  std::mutex mutex;
  QString name;
};

OfficeName& office() {
  static OfficeName name;
  return name;
}

}  // namespace

void setThisOffice(const QString& name) {
  OfficeName& o = office();
  const std::lock_guard lock(o.mutex);
  o.name = name.trimmed();
}

QString thisOffice() {
  OfficeName& o = office();
  const std::lock_guard lock(o.mutex);
  if (!o.name.isEmpty()) return o.name;
  const QString host = QSysInfo::machineHostName();
  return host.isEmpty() ? QStringLiteral("localhost") : host;
}

}  // namespace quenby::store
