// Who may still reach a device record after the table let go of it. Clearing the table takes
// every record out of every list, but a worker in the middle of a round, a callback in the
// middle of an answer, or a queue item travelling in a thread message may still hold one. Each
// of these holds a borrow while it can; the table frees its retired records only when no borrow
// is outstanding. One count for all of them, so that a borrower that hands a record on to an item
// before it ends its own borrow never lets the count touch zero in between.
#pragma once

#include <atomic>

namespace batch {

class RecordBorrow {
 public:
  RecordBorrow() { Hold(); }
  ~RecordBorrow() { Release(); }
  // An item copied keeps a borrow of its own.
  RecordBorrow(const RecordBorrow&) { Hold(); }
  RecordBorrow& operator=(const RecordBorrow&) { return *this; }

  // For a record that travels bare in a thread message (2127): held by the sender, released by
  // the receiver once it has handled the message.
  static void Hold() { Count().fetch_add(1); }
  static void Release() { Count().fetch_sub(1); }

  static bool AnyOutstanding() { return Count().load() != 0; }

 private:
  static std::atomic<int>& Count() {
    static std::atomic<int> count{0};
    return count;
  }
};

}  // namespace batch
