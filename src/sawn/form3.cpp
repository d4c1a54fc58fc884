#include "sawn/form3.h"

#include "sawn/sawn_timber_export.h"
#include "sawn/sawn_timber_layout.h"

namespace quenby {

Form3::Form3(ExportServices services, QWidget* parent) : SheetWindow(sawnTimberLayout(), parent) {
  attach(sheet_, sawnTimberExport(), std::move(services));
}

}  // namespace quenby
