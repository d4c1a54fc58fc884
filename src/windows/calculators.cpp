#include "windows/calculators.h"

#include <QDateTime>
#include <iterator>

#include "store/records.h"
#include "store/snapshot.h"
#include "windows/bill_pdf_name.h"
#include "windows/calculator_windows.h"

namespace quenby::app {

namespace {

// The list's first calculator is the start-up one, the one the back buttons return to; its
// window has the selector. Read through functions, so that no order of static initialisation
// matters.
const std::vector<CalculatorWindow>& calculators() { return calculatorWindows(); }
size_t count() { return calculatorWindows().size(); }

// The ledger keeps the records of the calculators of this list, before any store opens.
[[maybe_unused]] const bool kLedgerKnowsThem = [] {
  store::knowCalculators(calculatorList());
  return true;
}();

QString qt(std::u16string_view text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

size_t rowOf(Calculators::Calculator which) {
  const auto row = static_cast<size_t>(which);
  return which >= 0 && row < count() ? row : count();  // count() for an id with no row
}

Calculators::Calculator idOf(size_t row) { return static_cast<Calculators::Calculator>(row); }

// The texts of the row's sheet as the ledger keeps them: the calculator selector aside (it says
// which window is shown, not what the sheet holds).
store::SheetState recordedTexts(size_t row, const Sheet& sheet) {
  store::SheetState state = store::capture(calculators()[row].spec->storeKey, sheet);
  for (const layout::Control& c : calculators()[row].spec->layout().controls) {
    if (c.action != layout::Action::SwitchCalculator) continue;
    std::erase_if(state.fields,
                  [&](const store::FieldText& f) { return f.name == c.id.name && f.index == c.id.index; });
  }
  return state;
}

}  // namespace

QStringList selectorEntries() {
  QStringList entries;
  for (const CalculatorWindow& c : calculators()) entries << qt(c.spec->selectorText);
  return entries;
}

Calculators::Calculators(ExportServices services, std::function<void(const QUrl&)> openUrl)
    : services_(std::move(services)), openUrl_(std::move(openUrl)), windows_(count()), fresh_(count()) {
  ensure(0);
}

Calculators::~Calculators() = default;

shell::SheetWindow* Calculators::window(Calculator which) const {
  const size_t row = rowOf(which);
  return row < count() ? windows_[row].get() : nullptr;
}

shell::SheetWindow* Calculators::startWindow() const { return windows_[0].get(); }

shell::SheetWindow* Calculators::create(Calculator which) {
  const size_t row = rowOf(which);
  return row < count() ? ensure(row) : nullptr;
}

std::optional<Calculators::Calculator> Calculators::shown() const {
  for (size_t row = 0; row < count(); ++row)
    if (windows_[row] && windows_[row]->isVisible()) return idOf(row);
  return std::nullopt;
}

std::vector<Calculators::Calculator> Calculators::all() {
  std::vector<Calculator> ids;
  for (size_t row = 0; row < count(); ++row) ids.push_back(idOf(row));
  return ids;
}

QString Calculators::name(Calculator which) {
  const size_t row = rowOf(which);
  return row < count() ? qt(calculators()[row].spec->selectorText) : QString();
}

std::string_view Calculators::storeKey(Calculator which) {
  const size_t row = rowOf(which);
  return row < count() ? calculators()[row].spec->storeKey : std::string_view();
}

std::optional<Calculators::Calculator> Calculators::byStoreKey(std::string_view key) {
  for (size_t row = 0; row < count(); ++row)
    if (calculators()[row].spec->storeKey == key) return idOf(row);
  return std::nullopt;
}

shell::SheetWindow* Calculators::ensure(size_t row) {
  if (windows_[row]) return windows_[row].get();
  return adoptAt(row, calculators()[row].make(servicesFor(row), selectorEntries()));
}

ExportServices Calculators::servicesFor(size_t row) {
  ExportServices services = services_;
  const Calculator id = idOf(row);
  services.beforeExport = [this, id, before = services_.beforeExport] {
    if (before) before();
    if (atClick_) atClick_(id);
  };
  services.afterSave = [this, id, after = services_.afterSave](const KeptPdf& pdf) {
    if (after) after(pdf);
    if (exported_) exported_(id, pdf);
  };
  if (!services_.pdfFolder.empty())
    services.pdfRequest = [this, id]() -> std::optional<PdfRequest> {
      return billPdfRequest(QString::fromStdString(services_.pdfFolder), QDateTime::currentDateTime(),
                            content(id), false);
    };
  services.afterClick = [this, after = services_.afterClick] {
    if (after) after();
    if (clickEnded_) clickEnded_();
  };
  return services;
}

void Calculators::setExportHooks(std::function<void(Calculator)> atClick,
                                 std::function<void(Calculator, const KeptPdf&)> exported,
                                 std::function<void()> clickEnded) {
  atClick_ = std::move(atClick);
  exported_ = std::move(exported);
  clickEnded_ = std::move(clickEnded);
}

store::SheetState Calculators::content(Calculator which) const {
  const shell::SheetWindow* w = window(which);
  if (!w || !w->attachedSheet()) return {std::string(storeKey(which)), {}};
  return recordedTexts(rowOf(which), *w->attachedSheet());
}

std::optional<store::SheetState> Calculators::typedIn(const store::SheetState& saved) {
  const std::optional<Calculator> which = byStoreKey(saved.key);
  if (!which) return std::nullopt;
  const size_t row = rowOf(*which);
  // Put back into a new sheet as a start puts the sheets back: no rule runs, and fields the sheet
  // no longer has are passed over.
  const std::unique_ptr<Sheet> sheet = calculators()[row].spec->makeSheet();
  const store::SheetState fresh = recordedTexts(row, *sheet);
  store::restore(saved, *sheet);
  store::SheetState texts = recordedTexts(row, *sheet);
  if (texts == fresh) return std::nullopt;
  return texts;
}

const store::SheetState& Calculators::freshContent(Calculator which) const {
  static const store::SheetState kNone;
  const size_t row = rowOf(which);
  return row < count() ? fresh_[row] : kNone;
}

bool Calculators::holdsTypedText(Calculator which) const {
  const size_t row = rowOf(which);
  return row < count() && windows_[row] && content(which) != fresh_[row];
}

shell::SheetWindow* Calculators::adopt(Calculator which, std::unique_ptr<shell::SheetWindow> window) {
  const size_t row = rowOf(which);
  return row < count() ? adoptAt(row, std::move(window)) : nullptr;
}

shell::SheetWindow* Calculators::adoptAt(size_t row, std::unique_ptr<shell::SheetWindow> window) {
  if (windows_[row]) return windows_[row].get();  // a calculator's window is never replaced
  shell::SheetWindow* w = window.get();
  connect(w, &shell::SheetWindow::calculatorChosen, this, &Calculators::switchTo);
  connect(w, &shell::SheetWindow::backRequested, this, &Calculators::back);
  connect(w, &shell::SheetWindow::quitRequested, this, &Calculators::quitRequested);
  connect(w, &shell::SheetWindow::webPageRequested, this, [this, row] {
    const std::string_view page = calculators()[row].spec->webPage;
    openUrl_(QUrl(QString::fromLatin1(page.data(), static_cast<qsizetype>(page.size()))));
  });
  windows_[row] = std::move(window);
  fresh_[row] = content(idOf(row));
  emit windowCreated(w);
  return w;
}

void Calculators::show(size_t row) { ensure(row)->show(); }

void Calculators::hide(size_t row) { ensure(row)->hide(); }

void Calculators::switchTo(const QString& entry) {
  for (size_t target = 0; target < count(); ++target) {
    if (entry != qt(calculators()[target].spec->selectorText)) continue;
    showOnlyRow(target);
    return;
  }
}

void Calculators::back() { showOnlyRow(0); }

void Calculators::showOnly(Calculator which) {
  const size_t row = rowOf(which);
  if (row < count()) showOnlyRow(row);
}

void Calculators::showOnlyRow(size_t target) {
  show(target);
  for (size_t other = 0; other < count(); ++other)
    if (other != target) hide(other);
  emit switched();
}

}  // namespace quenby::app
