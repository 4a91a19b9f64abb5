// GoogleTest's Notification is written with std::mutex, which the win32 thread model of
// mingw-w64 does not have. This version on a Win32 event is included ahead of GoogleTest in the
// Windows tree (with GTEST_HAS_NOTIFICATION_=1, which makes GoogleTest skip its own).
#pragma once
#ifdef __cplusplus
#include <windows.h>

namespace testing {
namespace internal {

class Notification {
 public:
  Notification() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  ~Notification() { CloseHandle(event_); }
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;

  void Notify() { SetEvent(event_); }
  void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

 private:
  HANDLE event_;
};

}  // namespace internal
}  // namespace testing
#endif
