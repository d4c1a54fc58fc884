#pragma once
// The sawn-timber calculator as the rooms below the windows see it (sheet/calculator_spec.h).

#include "sheet/calculator_spec.h"

namespace quenby {

const CalculatorSpec& sawnTimberCalculator();

}  // namespace quenby
