#include "multilength/form2.h"

#include "multilength/multi_length_export.h"
#include "multilength/multi_length_layout.h"

namespace quenby {

Form2::Form2(ExportServices services, QWidget* parent) : SheetWindow(multiLengthLayout(), parent) {
  attach(sheet_, multiLengthExport(), std::move(services));
}

}  // namespace quenby
