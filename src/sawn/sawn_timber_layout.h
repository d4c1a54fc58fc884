#pragma once
// Form3's controls as data: positions, captions, fonts, lists, buttons and the focus order.

#include "sheet/layout.h"

namespace quenby {

const layout::Window& sawnTimberLayout();

}  // namespace quenby
