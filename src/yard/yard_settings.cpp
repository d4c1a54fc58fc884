#include "yard/yard_settings.h"

#include <QSettings>

namespace quenby::yard {

YardSettings readYardSettings() {
  const QSettings settings(QStringLiteral("Quenby"), QStringLiteral("Quenby"));
  return {settings.value(QStringLiteral("yard/server")).toString().trimmed(),
          settings.value(QStringLiteral("yard/office")).toString().trimmed()};
}

}  // namespace quenby::yard
