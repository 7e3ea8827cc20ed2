// The completion-port pump, for threads that serve overlapped I/O.
//
// The thread sleeps in GetQueuedCompletionStatus. A wake-up is a completion packet the pump posts
// to itself (at most one in flight, like the UI pump's wake-up message); every other packet is
// the completion of an overlapped operation on a handle registered with RegisterIOHandler, and
// goes to that handle's IOHandler on the pump's thread.
//
//   struct Reader : nbase::WinIOMessagePump::IOHandler {
//     void OnIOCompleted(nbase::WinIOMessagePump::IOContext* context, DWORD bytes,
//                        DWORD error) override;
//   };
//   pump->RegisterIOHandler(file, &reader);       // file opened with FILE_FLAG_OVERLAPPED
//   ReadFile(file, buffer, size, nullptr, &context.overlapped);
//
// Thread safety: ScheduleWork may be called from any thread; everything else belongs to the
// pump's thread.
#ifndef BASE_MESSAGE_LOOP_IO_MESSAGE_PUMP_WIN_H_
#define BASE_MESSAGE_LOOP_IO_MESSAGE_PUMP_WIN_H_

#include <windows.h>

#include <memory>

#include "base/message_loop/message_pump_win.h"
#include "base/message_loop/observer_list.h"

namespace nbase {

class WinIOMessagePump final : public WinMessagePump {
 public:
  class IOHandler;

  // One overlapped operation: pass &overlapped to the I/O call. Its handler is told of the
  // completion.
  struct IOContext {
    OVERLAPPED overlapped;
    IOHandler* handler;
  };

  class IOHandler {
   public:
    // |error| is a Win32 error code, ERROR_SUCCESS when the operation succeeded; on error
    // |bytes_transferred| may be 0.
    virtual void OnIOCompleted(IOContext* context, DWORD bytes_transferred, DWORD error) = 0;

   protected:
    virtual ~IOHandler() = default;
  };

  // Told before and after each completion is handed to its handler.
  class IOObserver {
   public:
    virtual void WillProcessIOEvent() = 0;
    virtual void DidProcessIOEvent() = 0;

   protected:
    virtual ~IOObserver() = default;
  };

  // Creates the pump and its completion port; null when the port cannot be created.
  static std::shared_ptr<WinIOMessagePump> Create();
  ~WinIOMessagePump() override;

  // MessagePump:
  void ScheduleWork() override;
  void ScheduleDelayedWork(const TimeMicros& delayed_work_time) override;

  // Associates |file| (opened for overlapped I/O) with the port; its completions go to |handler|,
  // which must outlive every operation started on |file|.
  bool RegisterIOHandler(HANDLE file, IOHandler* handler);

  void AddObserver(IOObserver* observer) { observers_.AddObserver(observer); }
  void RemoveObserver(IOObserver* observer) { observers_.RemoveObserver(observer); }

 private:
  WinIOMessagePump() = default;

  // WinMessagePump:
  void DoRunLoop() override;

  void WaitForWork();
  // Waits up to |timeout| ms for one packet and handles it; false on time-out.
  bool WaitForIOCompletion(DWORD timeout);

  HANDLE port_ = nullptr;  // owned
  ObserverList<IOObserver> observers_;
};

}  // namespace nbase

#endif  // BASE_MESSAGE_LOOP_IO_MESSAGE_PUMP_WIN_H_
