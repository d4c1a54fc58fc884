// A second Quenby process for the yard tests: syncs the store at argv[2] with the server argv[1] as
// the office argv[3], and kills itself (SIGKILL) right after the server committed its first batch,
// before its store marks the batch sent. It says "committed" first.
#include <csignal>
#include <cstdio>
#include <thread>

#include <QCoreApplication>

#include "yard/sync.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 4) return 2;
  quenby::yard::SyncEvents events;
  events.afterServerCommit = [] {
    std::puts("committed");
    std::fflush(stdout);
    std::raise(SIGKILL);
  };
  quenby::yard::Sync sync(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]),
                          QString::fromLocal8Bit(argv[3]), std::move(events));
  std::this_thread::sleep_for(std::chrono::seconds(30));
  return 1;
}
