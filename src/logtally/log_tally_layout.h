#pragma once
// Form1's controls as data: positions, captions, fonts, colours, lists and the focus order.

#include "sheet/layout.h"

namespace quenby {

const layout::Window& logTallyLayout();

}  // namespace quenby
