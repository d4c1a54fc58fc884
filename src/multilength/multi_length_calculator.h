#pragma once
// The multi-length calculator as the rooms below the windows see it (sheet/calculator_spec.h).

#include "sheet/calculator_spec.h"

namespace quenby {

const CalculatorSpec& multiLengthCalculator();

}  // namespace quenby
