#pragma once
// The log tally calculator as the rooms below the windows see it (sheet/calculator_spec.h).

#include "sheet/calculator_spec.h"

namespace quenby {

const CalculatorSpec& logTallyCalculator();

}  // namespace quenby
