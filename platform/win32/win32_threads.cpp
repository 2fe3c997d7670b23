// Time, sleeping and worker threads.
#include <exception>

#include "platform/run_flag.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_ports.h"

namespace tora {

uint32_t Win32Clock::TickCount() { return GetTickCount(); }

// The script's 等待 sleeps on the interface thread, where the editor's
// low-level hooks are called: a plain Sleep would freeze the keyboard or
// mouse of the whole system meanwhile. Sent messages (hook calls among them)
// are served during the wait.
void Win32Clock::Sleep(uint32_t ms) { WaitServingSentMessages(nullptr, ms); }

bool Win32Clock::Pause(uint32_t ms, RunFlag& flag) { return flag.WaitWhileSet(ms); }

int Win32ThreadPriority(ThreadPriority priority) {
  switch (priority) {
    case ThreadPriority::Highest: return THREAD_PRIORITY_HIGHEST;
    case ThreadPriority::Normal: return THREAD_PRIORITY_NORMAL;
    case ThreadPriority::BelowNormal: return THREAD_PRIORITY_BELOW_NORMAL;
    case ThreadPriority::Lowest: return THREAD_PRIORITY_LOWEST;
  }
  return THREAD_PRIORITY_NORMAL;
}

bool WaitServingSentMessages(HANDLE handle, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  const DWORD count = handle ? 1 : 0;
  for (;;) {
    DWORD left = INFINITE;
    if (timeout_ms != INFINITE) {
      const DWORD spent = GetTickCount() - start;
      left = spent >= timeout_ms ? 0 : timeout_ms - spent;
    }
    const DWORD r = MsgWaitForMultipleObjectsEx(count, handle ? &handle : nullptr, left, QS_SENDMESSAGE, 0);
    if (handle && r == WAIT_OBJECT_0) return true;
    if (r == WAIT_OBJECT_0 + count) {
      // Peeking delivers every message sent to this thread; posted ones stay
      // queued for the thread's own loop.
      MSG msg;
      PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
      continue;
    }
    if (r == WAIT_TIMEOUT) return false;
    return false;  // WAIT_FAILED or an abandoned handle: nothing left to wait for
  }
}

namespace {

struct ThreadStart {
  std::function<void()> body;
};

DWORD WINAPI ThreadMain(void* param) {
  std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(param));
  try {
    start->body();
  } catch (const std::exception& e) {
    // A worker must not take the program down with it; the run just loses it.
    OutputDebugStringW(Widen(std::string("worker ended by an exception: ") + e.what()).c_str());
  }
  return 0;
}

class Win32Worker : public WorkerThread {
 public:
  Win32Worker(HANDLE handle, DWORD id) : handle_(handle), id_(id) {}
  // The body refers to its owner's state; it must be over before that goes.
  ~Win32Worker() override { Join(); }
  void Join() override {
    if (!handle_ || GetCurrentThreadId() == id_) return;
    while (!WaitServingSentMessages(handle_.get(), INFINITE)) {
      if (WaitForSingleObject(handle_.get(), 0) != WAIT_TIMEOUT) return;
      WaitServingSentMessages(nullptr, 1);
    }
  }
  bool Finished() override { return !handle_ || WaitForSingleObject(handle_.get(), 0) != WAIT_TIMEOUT; }

 private:
  KernelHandle handle_;
  DWORD id_;
};

}  // namespace

std::unique_ptr<WorkerThread> Win32Threads::Start(std::function<void()> body, ThreadPriority priority) {
  auto start = std::make_unique<ThreadStart>(ThreadStart{std::move(body)});
  DWORD id = 0;
  // Created suspended so that the priority holds from the first instruction.
  HANDLE handle = CreateThread(nullptr, 0, &ThreadMain, start.get(), CREATE_SUSPENDED, &id);
  if (!handle) {
    OutputDebugStringW(L"CreateThread failed; the worker does not run");
    return std::make_unique<Win32Worker>(nullptr, 0);
  }
  start.release();  // the thread owns it now
  SetThreadPriority(handle, Win32ThreadPriority(priority));
  ResumeThread(handle);
  return std::make_unique<Win32Worker>(handle, id);
}

void Win32Threads::WaitUntil(const std::function<bool()>& done) {
  while (!done()) WaitServingSentMessages(nullptr, 5);
}

}  // namespace tora
