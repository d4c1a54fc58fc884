#include "app/calculators.h"

#include <iterator>

#include "app/desktop_services.h"
#include "logtally/form1.h"
#include "logtally/log_tally_layout.h"
#include "logtally/log_tally_sheet.h"
#include "multilength/form2.h"
#include "multilength/multi_length_layout.h"
#include "multilength/multi_length_sheet.h"
#include "sawn/form3.h"
#include "sawn/sawn_timber_layout.h"
#include "sawn/sawn_timber_sheet.h"
#include "store/snapshot.h"

namespace quenby::app {

namespace {

// Makes a calculator's window; the selector's entries go to a window that has the selector.
using MakeWindow = std::unique_ptr<shell::SheetWindow> (*)(ExportServices services,
                                                           const QStringList& selector);

struct CalculatorEntry {
  Calculators::Calculator id;
  const char16_t* selectorText;  // compared exactly, character by character
  const char* webPage;           // the page of further calculators its window opens
  std::string_view storeKey;     // its sheet's key in the user's store: never changed once used
  MakeWindow make;
  const layout::Window& (*layout)();      // its window's layout table
  std::unique_ptr<Sheet> (*makeSheet)();  // a new sheet, as a new window holds it
};

// A new calculator is one row here, with its id in Calculators::Calculator. The first row is the
// start-up calculator, the one the back buttons return to; its window has the selector.
const CalculatorEntry kCalculators[] = {
    {Calculators::LogTally, u"原木计算", kWebPageA, store::kLogTally,
     [](ExportServices services, const QStringList& selector) -> std::unique_ptr<shell::SheetWindow> {
       return std::make_unique<Form1>(std::move(services), selector);
     },
     logTallyLayout, []() -> std::unique_ptr<Sheet> { return std::make_unique<LogTallySheet>(); }},
    {Calculators::MultiLength, u"多 材 长", kWebPageB, store::kMultiLength,
     [](ExportServices services, const QStringList&) -> std::unique_ptr<shell::SheetWindow> {
       return std::make_unique<Form2>(std::move(services));
     },
     multiLengthLayout, []() -> std::unique_ptr<Sheet> { return std::make_unique<MultiLengthSheet>(); }},
    {Calculators::SawnTimber, u"锯材计算", kWebPageA, store::kSawnTimber,
     [](ExportServices services, const QStringList&) -> std::unique_ptr<shell::SheetWindow> {
       return std::make_unique<Form3>(std::move(services));
     },
     sawnTimberLayout, []() -> std::unique_ptr<Sheet> { return std::make_unique<SawnTimberSheet>(); }},
};
constexpr size_t kCount = std::size(kCalculators);

size_t rowOf(Calculators::Calculator which) {
  size_t row = 0;
  while (row < kCount && kCalculators[row].id != which) ++row;
  return row;  // kCount for an id with no row
}

// The texts of the row's sheet as the ledger keeps them: the calculator selector aside (it says
// which window is shown, not what the sheet holds).
store::SheetState recordedTexts(size_t row, const Sheet& sheet) {
  store::SheetState state = store::capture(kCalculators[row].storeKey, sheet);
  for (const layout::Control& c : kCalculators[row].layout().controls) {
    if (c.action != layout::Action::SwitchCalculator) continue;
    std::erase_if(state.fields,
                  [&](const store::FieldText& f) { return f.name == c.id.name && f.index == c.id.index; });
  }
  return state;
}

}  // namespace

QStringList selectorEntries() {
  QStringList entries;
  for (const CalculatorEntry& c : kCalculators) entries << QString::fromUtf16(c.selectorText);
  return entries;
}

Calculators::Calculators(ExportServices services, std::function<void(const QUrl&)> openUrl)
    : services_(std::move(services)), openUrl_(std::move(openUrl)), windows_(kCount), fresh_(kCount) {
  ensure(0);
}

Calculators::~Calculators() = default;

shell::SheetWindow* Calculators::window(Calculator which) const {
  const size_t row = rowOf(which);
  return row < kCount ? windows_[row].get() : nullptr;
}

shell::SheetWindow* Calculators::startWindow() const { return windows_[0].get(); }

shell::SheetWindow* Calculators::create(Calculator which) {
  const size_t row = rowOf(which);
  return row < kCount ? ensure(row) : nullptr;
}

std::optional<Calculators::Calculator> Calculators::shown() const {
  for (size_t row = 0; row < kCount; ++row)
    if (windows_[row] && windows_[row]->isVisible()) return kCalculators[row].id;
  return std::nullopt;
}

std::vector<Calculators::Calculator> Calculators::all() {
  std::vector<Calculator> ids;
  for (const CalculatorEntry& c : kCalculators) ids.push_back(c.id);
  return ids;
}

QString Calculators::name(Calculator which) {
  const size_t row = rowOf(which);
  return row < kCount ? QString::fromUtf16(kCalculators[row].selectorText) : QString();
}

std::string_view Calculators::storeKey(Calculator which) {
  const size_t row = rowOf(which);
  return row < kCount ? kCalculators[row].storeKey : std::string_view();
}

std::optional<Calculators::Calculator> Calculators::byStoreKey(std::string_view key) {
  for (const CalculatorEntry& c : kCalculators)
    if (c.storeKey == key) return c.id;
  return std::nullopt;
}

shell::SheetWindow* Calculators::ensure(size_t row) {
  if (windows_[row]) return windows_[row].get();
  return adoptAt(row, kCalculators[row].make(servicesFor(row), selectorEntries()));
}

ExportServices Calculators::servicesFor(size_t row) {
  ExportServices services = services_;
  const Calculator id = kCalculators[row].id;
  services.beforeExport = [this, id, before = services_.beforeExport] {
    if (before) before();
    if (atClick_) atClick_(id);
  };
  services.afterSave = [this, id, after = services_.afterSave] {
    if (after) after();
    if (exported_) exported_(id);
  };
  services.afterClick = [this, after = services_.afterClick] {
    if (after) after();
    if (clickEnded_) clickEnded_();
  };
  return services;
}

void Calculators::setExportHooks(std::function<void(Calculator)> atClick,
                                 std::function<void(Calculator)> exported, std::function<void()> clickEnded) {
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
  const std::unique_ptr<Sheet> sheet = kCalculators[row].makeSheet();
  const store::SheetState fresh = recordedTexts(row, *sheet);
  store::restore(saved, *sheet);
  store::SheetState texts = recordedTexts(row, *sheet);
  if (texts == fresh) return std::nullopt;
  return texts;
}

const store::SheetState& Calculators::freshContent(Calculator which) const {
  static const store::SheetState kNone;
  const size_t row = rowOf(which);
  return row < kCount ? fresh_[row] : kNone;
}

bool Calculators::holdsTypedText(Calculator which) const {
  const size_t row = rowOf(which);
  return row < kCount && windows_[row] && content(which) != fresh_[row];
}

shell::SheetWindow* Calculators::adopt(Calculator which, std::unique_ptr<shell::SheetWindow> window) {
  const size_t row = rowOf(which);
  return row < kCount ? adoptAt(row, std::move(window)) : nullptr;
}

shell::SheetWindow* Calculators::adoptAt(size_t row, std::unique_ptr<shell::SheetWindow> window) {
  if (windows_[row]) return windows_[row].get();  // a calculator's window is never replaced
  shell::SheetWindow* w = window.get();
  connect(w, &shell::SheetWindow::calculatorChosen, this, &Calculators::switchTo);
  connect(w, &shell::SheetWindow::backRequested, this, &Calculators::back);
  connect(w, &shell::SheetWindow::quitRequested, this, &Calculators::quitRequested);
  connect(w, &shell::SheetWindow::webPageRequested, this,
          [this, row] { openUrl_(QUrl(QString::fromLatin1(kCalculators[row].webPage))); });
  windows_[row] = std::move(window);
  fresh_[row] = content(kCalculators[row].id);
  emit windowCreated(w);
  return w;
}

void Calculators::show(size_t row) { ensure(row)->show(); }

void Calculators::hide(size_t row) { ensure(row)->hide(); }

void Calculators::switchTo(const QString& entry) {
  for (size_t target = 0; target < kCount; ++target) {
    if (entry != QStringView(kCalculators[target].selectorText)) continue;
    showOnlyRow(target);
    return;
  }
}

void Calculators::back() { showOnlyRow(0); }

void Calculators::showOnly(Calculator which) {
  const size_t row = rowOf(which);
  if (row < kCount) showOnlyRow(row);
}

void Calculators::showOnlyRow(size_t target) {
  show(target);
  for (size_t other = 0; other < kCount; ++other)
    if (other != target) hide(other);
  emit switched();
}

}  // namespace quenby::app
