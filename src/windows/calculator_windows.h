#pragma once
// The calculators with their windows: each calculator's descriptor (sheet/calculator_spec.h)
// paired with the maker of its window, the start-up calculator first. The build makes the list
// (calculator_windows.cpp in the build tree) from QUENBY_CALCULATORS, one entry per calculator.

#include <QStringList>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

#include "sheet/calculator_spec.h"
#include "shell/sheet_window.h"
#include "shell/window_export.h"

namespace quenby::app {

// Makes a calculator's window; the selector's entries go to a window that has the selector.
using MakeWindow = std::unique_ptr<shell::SheetWindow> (*)(ExportServices services,
                                                           const QStringList& selector);

struct CalculatorWindow {
  const CalculatorSpec* spec;
  MakeWindow make;
};

// The maker of a window of class W: given the selector's entries when W takes them.
template <class W>
std::unique_ptr<shell::SheetWindow> makeWindow(ExportServices services, const QStringList& selector) {
  if constexpr (std::is_constructible_v<W, ExportServices, const QStringList&>)
    return std::make_unique<W>(std::move(services), selector);
  else
    return std::make_unique<W>(std::move(services));
}

const std::vector<CalculatorWindow>& calculatorWindows();

}  // namespace quenby::app
