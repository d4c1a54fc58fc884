// Opening a web page asks the desktop whether it has a browser before handing the address over:
// xdg-open would start and fail on its own, and the refusal would go unreported.

#include "app/desktop_services.h"

#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QTemporaryDir>
#include <QUrl>
#include <optional>
#include <vector>

#include "calc/error.h"
#include "ui_test_support.h"

namespace quenby {
namespace {

// Stands in for the desktop's browser once registered as Qt's handler of https addresses.
class BrowserProbe : public QObject {
  Q_OBJECT

 public:
  std::vector<QString> opened;

 public slots:
  void open(const QUrl& url) { opened.push_back(url.toString()); }
};

TEST(OpenWebPage, HandsTheAddressOverOnlyWhenTheDesktopHasABrowser) {
  struct Row {
    const char* what;
    bool registered;  // an installed application opens https addresses
    const char* browserVariable;
    bool withoutXdgMime;  // the desktop cannot tell
    bool qtOpens;         // Qt hands the address to the probe; otherwise the platform refuses it
    bool expectOpened;
  };
  const Row rows[] = {
      {"no browser anywhere", false, nullptr, false, true, false},
      {"a browser registered for https", true, nullptr, false, true, true},
      {"a browser named in BROWSER", false, "/usr/bin/probe-browser", false, true, true},
      {"no xdg-mime to ask", false, nullptr, true, true, true},
      {"a browser, but the platform refuses", true, nullptr, false, false, false},
  };
  const QUrl page(QStringLiteral("https://quenby.example.com/calculators/"));
  for (const Row& r : rows) {
    testing::ScopedDesktop desktop;
    if (r.registered) desktop.registerApplication("x-scheme-handler/https");
    if (r.browserVariable) desktop.set("BROWSER", QString::fromLatin1(r.browserVariable));
    QTemporaryDir emptyPath;
    if (r.withoutXdgMime) desktop.set("PATH", emptyPath.path());
    BrowserProbe browser;
    if (r.qtOpens) QDesktopServices::setUrlHandler("https", &browser, "open");

    std::optional<int> error;
    std::string description;
    try {
      app::openWebPage(page);
    } catch (const QuenbyError& e) {
      error = e.number();
      description = e.description();
    }
    QDesktopServices::unsetUrlHandler("https");

    if (r.expectOpened) {
      EXPECT_EQ(error, std::nullopt) << r.what << ": " << description;
      EXPECT_EQ(browser.opened, std::vector<QString>{"https://quenby.example.com/calculators/"}) << r.what;
    } else {
      EXPECT_EQ(error, 1101) << r.what;
      EXPECT_EQ(description,
                "无法打开网页 "
                "https://quenby.example.com/calculators/：本机没有可用的网页浏览器，请安装浏览器后再试")
          << r.what;
      EXPECT_TRUE(browser.opened.empty()) << r.what;
    }
  }
}

}  // namespace
}  // namespace quenby

#include "web_page_test.moc"
