// A second Quenby process for the store tests, driven by its arguments:
//   store_driver hold <database> <tag>   saves sample(tag), prints "saved", then lives until its
//                                        standard input closes or it is killed
//   store_driver hang <database>         saves sample("A"), then stops inside the transaction
//                                        that writes sample("B"), just before its commit, prints
//                                        "committing" and waits there to be killed
//   store_driver record <database> <tag> <n>
//                                        records n sawn-timber bills whose Text10 is <tag>, then
//                                        prints "recorded"
#include <QCoreApplication>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "sample.h"
#include "store/store.h"

using quenby::store::Store;
using quenby::store::testing::sample;

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc < 3) return 2;
  const std::string mode = argv[1];
  Store store(QString::fromLocal8Bit(argv[2]));
  if (!store.isOpen()) return 3;
  if (mode == "hold" && argc == 4) {
    const QString tag = QString::fromLocal8Bit(argv[3]);
    store.save(sample(tag.toStdU16String()));
    store.flush();
    if (store.takeError()) return 4;
    std::printf("saved\n");
    std::fflush(stdout);
    std::string line;
    while (std::getline(std::cin, line)) {
    }
    return 0;
  }
  if (mode == "record" && argc == 5) {
    const std::u16string tag = QString::fromLocal8Bit(argv[3]).toStdU16String();
    const int count = std::atoi(argv[4]);
    try {
      for (int i = 0; i < count; ++i)
        store.record(quenby::store::testing::record(quenby::store::kSawnTimber, i, {{"Text10", -1, tag}}));
    } catch (const quenby::QuenbyError& e) {
      std::fprintf(stderr, "%s\n", e.description().c_str());
      return 4;
    }
    std::printf("recorded\n");
    std::fflush(stdout);
    return 0;
  }
  if (mode == "hang") {
    store.save(sample(u"A"));
    store.flush();
    store.setBeforeCommit([] {
      std::printf("committing\n");
      std::fflush(stdout);
      for (;;) QThread::sleep(1);
    });
    store.save(sample(u"B"));
    for (;;) QThread::sleep(1);
  }
  return 2;
}
