// The store tests and their driver keep records of the program's own calculators, as the program
// does: the ledger learns their columns from the calculators' descriptors before any test runs.
#include "sheet/calculator_spec.h"
#include "store/records.h"

namespace {

[[maybe_unused]] const bool kKnown = [] {
  quenby::store::knowCalculators(quenby::calculatorList());
  return true;
}();

}  // namespace
