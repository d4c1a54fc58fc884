#pragma once
// The one guard every event handler of a window runs through. A handler that fails stops where it
// failed; the guard reports the error with its number and description in a message box and the
// program carries on with every field as the handler left it. No exception reaches Qt's event loop.

#include <new>
#include <string>

#include "calc/error.h"
#include "export/export_error.h"

class QWidget;

namespace quenby::shell {

// "错误 6：溢出：计算结果超出了数值范围，请检查输入的数字"
std::string errorMessage(int number, const std::string& description);

// Modal box, caption "Quenby", OK only.
void reportError(QWidget* parent, int number, const std::string& description) noexcept;

template <class Handler>
void guarded(QWidget* parent, Handler&& handler) noexcept {
  try {
    handler();
  } catch (const QuenbyError& e) {
    // An export broken off because the program is ending has nobody left to tell; one the user
    // cancelled is no fault.
    if (e.is(ExportError::ExportAbandoned) || e.is(ExportError::ExportCancelled)) return;
    reportError(parent, e.number(), e.description());
  } catch (const std::bad_alloc&) {
    reportError(parent, static_cast<int>(ErrorCode::OutOfMemory),
                standardDescription(ErrorCode::OutOfMemory));
  } catch (...) {
    reportError(parent, static_cast<int>(ErrorCode::Unexpected), standardDescription(ErrorCode::Unexpected));
  }
}

}  // namespace quenby::shell
