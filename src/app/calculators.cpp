#include "app/calculators.h"

#include "app/desktop_services.h"
#include "logtally/form1.h"
#include "multilength/form2.h"
#include "sawn/form3.h"

namespace quenby::app {

namespace {

const QString kEntries[3] = {QStringLiteral("原木计算"), QStringLiteral("多 材 长"),
                             QStringLiteral("锯材计算")};

}  // namespace

Calculators::Calculators(ExportServices services, std::function<void(const QUrl&)> openUrl)
    : services_(std::move(services)), openUrl_(std::move(openUrl)) {
  ensure(LogTally);
}

Calculators::~Calculators() = default;

shell::SheetWindow* Calculators::ensure(Calculator which) {
  if (windows_[which]) return windows_[which].get();
  std::unique_ptr<shell::SheetWindow> window;
  switch (which) {
    case LogTally:
      window = std::make_unique<Form1>(services_);
      break;
    case MultiLength:
      window = std::make_unique<Form2>(services_);
      break;
    case SawnTimber:
      window = std::make_unique<Form3>(services_);
      break;
  }
  return adopt(which, std::move(window));
}

shell::SheetWindow* Calculators::adopt(Calculator which, std::unique_ptr<shell::SheetWindow> window) {
  if (windows_[which]) return windows_[which].get();  // a calculator's window is never replaced
  shell::SheetWindow* w = window.get();
  connect(w, &shell::SheetWindow::calculatorChosen, this, &Calculators::switchTo);
  connect(w, &shell::SheetWindow::backRequested, this, &Calculators::back);
  connect(w, &shell::SheetWindow::quitRequested, this, &Calculators::quitRequested);
  connect(w, &shell::SheetWindow::webPageRequested, this, [this, which] { openWebPage(which); });
  windows_[which] = std::move(window);
  return w;
}

void Calculators::show(Calculator which) {
  if (shell::SheetWindow* w = ensure(which)) w->show();
}

void Calculators::hide(Calculator which) {
  if (shell::SheetWindow* w = ensure(which)) w->hide();
}

void Calculators::switchTo(const QString& entry) {
  for (int t = 0; t < 3; ++t) {
    if (entry != kEntries[t]) continue;
    const auto target = static_cast<Calculator>(t);
    if (!ensure(target)) return;
    show(target);
    for (int other = 0; other < 3; ++other)
      if (other != t) hide(static_cast<Calculator>(other));
    return;
  }
}

void Calculators::back() {
  show(LogTally);
  hide(MultiLength);
  hide(SawnTimber);
}

void Calculators::openWebPage(Calculator from) {
  openUrl_(QUrl(QString::fromLatin1(from == MultiLength ? kWebPageB : kWebPageA)));
}

}  // namespace quenby::app
