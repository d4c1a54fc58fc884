#pragma once
// Running a long piece of work (an export's calls on the office) on a thread of its own while the
// user-interface thread's event loop goes on, so that the windows repaint and answer meanwhile.

#include <functional>

namespace quenby {

// Runs `work` on a new thread and the event loop until it has ended; returns then, raising what
// `work` raised. Should the application quit meanwhile (a termination signal), it still waits for
// the thread: nothing `work` refers to may go before it has ended.
void runOffUiThread(const std::function<void()>& work);

}  // namespace quenby
