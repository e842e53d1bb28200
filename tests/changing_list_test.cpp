// A list that a named pipe serves differently to the counting pass and to the
// reading pass, through the real library (native only: Windows has no FIFO
// in the file system). The call must refuse it and write nothing.
#ifndef _WIN32

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "files.h"
#include "support.h"

namespace quorbel::test {
namespace {

// Opens the pipe for writing once a reader has it open (waiting at most
// five seconds, so that a call that never reads cannot hang the test),
// writes `bytes` and closes it.
void ServeOnce(const std::string& fifo, const std::string& bytes) {
  int descriptor = -1;
  for (int tries = 0; tries < 5000 && descriptor < 0; ++tries) {
    descriptor = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (descriptor < 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  if (descriptor < 0) {
    // Nobody opened the pipe in time: open and close both ends, so that a
    // reader that arrives late sees an empty file instead of waiting forever.
    close(open(fifo.c_str(), O_RDWR));
    return;
  }
  fcntl(descriptor, F_SETFL, 0);
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t put = write(descriptor, bytes.data() + done, bytes.size() - done);
    if (put <= 0) break;
    done += static_cast<std::size_t>(put);
  }
  close(descriptor);
}

// Waits (at most five seconds) until a reader that had the pipe open has
// closed it, so that the next serve reaches the next open and not the end of
// the previous reading.
void AwaitReaderClosed(int watch) {
  pollfd ready = {watch, POLLIN, 0};
  if (poll(&ready, 1, 5000) <= 0) return;
  char events[4096];
  (void)read(watch, events, sizeof events);
}

std::string Lines(int count) {
  std::string bytes;
  for (int i = 1; i <= count; ++i) bytes += "x" + std::to_string(i) + "," + std::to_string(i) + "\n";
  return bytes;
}

TEST(ChangingList, AFifoThatServesFewerLinesTheSecondTimeIsRefused) {
  if (Emulated())
    GTEST_SKIP() << "user-mode emulation does not wake a reader blocked on a named pipe reliably";
  const std::string fifo = TestFile("changing.fifo");
  const std::string out = TestFile("changing-out.txt");
  for (const bool proportional : {true, false}) {
    Remove(fifo);
    Remove(out);
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    const int watch = inotify_init1(IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, fifo.c_str(), IN_CLOSE_NOWRITE), 0);
    // 200 lines to the counting pass, 1 to the reading pass.
    std::thread server([&] {
      ServeOnce(fifo, Lines(200));
      AwaitReaderClosed(watch);
      ServeOnce(fifo, Lines(1));
    });
    int32_t line = -9;
    const QuorbelResult code =
        proportional ? Lib().Selection_ProbabilityProportional(50, Wide(fifo).c_str(), Wide(out).c_str(), &line)
                     : Lib().Selection_SimpleRandom(50, Wide(fifo).c_str(), Wide(out).c_str(), &line);
    server.join();
    close(watch);
    EXPECT_EQ(QUORBEL_E_GENERAL, code) << proportional;
    EXPECT_EQ(-1, line);
    EXPECT_FALSE(Exists(out)) << "a result was written from records never read";
  }
  Remove(fifo);
}

}  // namespace
}  // namespace quorbel::test

#endif
