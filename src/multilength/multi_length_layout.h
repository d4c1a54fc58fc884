#pragma once
// Form2's controls as data: positions, captions, fonts, colours and the focus order.

#include "sheet/layout.h"

namespace quenby {

const layout::Window& multiLengthLayout();

}  // namespace quenby
