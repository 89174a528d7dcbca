// Who may still reach a device record after the table let go of it. Clearing the table takes
// every record out of every list, but a worker in the middle of a round, a callback in the
// middle of an answer, or a queue item travelling in a thread message may still hold one. Each
// of these holds a borrow while it can. A borrow is of the table's retired records as a whole,
// not of one record: one process-wide count, which the table waits to see at zero before it frees
// any of them, so that a borrower that hands a record on to an item before it ends its own borrow
// never lets the count touch zero in between.
#pragma once

#include <atomic>

namespace batch {

class TableBorrow {
 public:
  TableBorrow() { Hold(); }
  ~TableBorrow() { Release(); }
  // An item copied keeps a borrow of its own.
  TableBorrow(const TableBorrow&) { Hold(); }
  TableBorrow& operator=(const TableBorrow&) { return *this; }

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
