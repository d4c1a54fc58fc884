#include "logtally/form1.h"

#include "logtally/log_tally_export.h"
#include "logtally/log_tally_layout.h"

namespace quenby {

Form1::Form1(ExportServices services, const QStringList& calculators, QWidget* parent)
    : SheetWindow(logTallyLayout(), parent) {
  listCalculators(calculators);
  attach(sheet_, logTallyExport(), std::move(services));
}

}  // namespace quenby
