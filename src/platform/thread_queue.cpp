#include "platform/thread_queue.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>

#include "platform/clock.h"

namespace platform {
namespace {

class MessageQueue {
 public:
  void Post(const MSG& msg) {
    {
      std::lock_guard lock(m_mutex);
      m_messages.push_back(msg);
    }
    m_arrived.notify_one();
  }

  // False when nothing came within ms clock milliseconds.
  bool Take(MSG* msg, DWORD ms) {
    std::unique_lock lock(m_mutex);
    const auto arrived = [this] { return !m_messages.empty(); };
    if (ms == INFINITE) {
      m_arrived.wait(lock, arrived);
    } else if (!m_arrived.wait_for(lock, RealDuration(ms), arrived)) {
      return false;
    }
    *msg = m_messages.front();
    m_messages.pop_front();
    return true;
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_arrived;
  std::deque<MSG> m_messages;
};

struct Registry {
  std::mutex mutex;
  std::map<DWORD, std::shared_ptr<MessageQueue>> queues;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

// Unregisters the thread's queue when the thread ends, so that later posts to its id fail.
struct QueueOwner {
  std::shared_ptr<MessageQueue> queue;
  DWORD id = 0;
  ~QueueOwner() {
    if (!queue) return;
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    registry.queues.erase(id);
  }
};

thread_local QueueOwner t_queueOwner;

MessageQueue& OwnQueue() {
  if (!t_queueOwner.queue) {
    t_queueOwner.queue = std::make_shared<MessageQueue>();
    t_queueOwner.id = GetCurrentThreadId();
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    registry.queues[t_queueOwner.id] = t_queueOwner.queue;
  }
  return *t_queueOwner.queue;
}

}  // namespace

DWORD GetCurrentThreadId() {
  static std::atomic<DWORD> nextId{1};
  thread_local const DWORD id = nextId.fetch_add(1);
  return id;
}

void CreateMessageQueue() {
  OwnQueue();
}

bool PostThreadMessage(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<MessageQueue> queue;
  {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    auto it = registry.queues.find(threadId);
    if (it == registry.queues.end()) return false;
    queue = it->second;
  }
  queue->Post(MSG{message, wParam, lParam});
  return true;
}

bool GetMessage(MSG* msg) {
  return GetMessage(msg, INFINITE) == MessageWait::kMessage;
}

MessageWait GetMessage(MSG* msg, DWORD ms) {
  if (!OwnQueue().Take(msg, ms)) return MessageWait::kTimedOut;
  return msg->message == WM_QUIT ? MessageWait::kQuit : MessageWait::kMessage;
}

}  // namespace platform
