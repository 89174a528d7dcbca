// The player ports of the previews. The grid takes them from a process-wide counter that runs
// from 1000 to 9999 and starts again; the single view draws one at random from 1 to 10000. Both
// come from one registry, safe across the library's threads, which never hands out a port that
// is still playing.
#pragma once

namespace preview {

constexpr int kFirstGridPort = 1000;
constexpr int kLastGridPort = 9999;
constexpr int kFirstSinglePort = 1;
constexpr int kLastSinglePort = 10000;

// 0 when every port of the range is in use.
int TakeGridPort();
int TakeSinglePort();
// After IP_KMR_Stop of the port.
void ReleasePort(int port);

}  // namespace preview
