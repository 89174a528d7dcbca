// A window's pane as the preview tests play it: the stream data callback records what came and
// feeds a player port, whose sink counts the pictures and keeps the first few.
#pragma once

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "netsdk.h"
#include "player.h"
#include "player_sink.h"

namespace netsdk_test {

struct Packet {
  int dataKind;
  int size;
  int frameKind;
  double timeStamp;
};

// What one preview received, and the player port it feeds.
struct Viewer {
  int port = 0;
  std::atomic<int> previewHandle{0};  // stored after RealPlayEx returned, as a window does
  std::atomic<int> calls{0};
  std::atomic<int> callsBeforeHandle{0};
  std::atomic<int> inCallback{0};
  std::atomic<int> pictures{0};
  std::chrono::milliseconds callbackDelay{0};
  std::mutex mutex;
  std::vector<Packet> packets;
  std::vector<std::vector<unsigned char>> firstPictures;  // the first few, for their pixels
  int width = 0;
  int height = 0;
  KMR_VIDEO_SINK sink{&Viewer::OnPicture, nullptr, this};

  static void OnPicture(void* context, const KMR_PICTURE* picture) {
    auto* viewer = static_cast<Viewer*>(context);
    std::lock_guard lock(viewer->mutex);
    viewer->width = picture->width;
    viewer->height = picture->height;
    if (viewer->firstPictures.size() < 12) {
      viewer->firstPictures.emplace_back(picture->pixels,
                                         picture->pixels + picture->stride * picture->height);
    }
    ++viewer->pictures;
  }

  static int OnStream(int handle, int dataKind, const unsigned char* data, int size,
                      const NETSDK_FRAME_INFO* frame) {
    auto* viewer = static_cast<Viewer*>(frame->user);
    ++viewer->inCallback;
    ++viewer->calls;
    if (viewer->previewHandle.load() != handle) ++viewer->callsBeforeHandle;
    {
      std::lock_guard lock(viewer->mutex);
      viewer->packets.push_back({dataKind, size, frame->frameKind, frame->timeStamp});
    }
    if (dataKind == NETSDK_STREAM_HEADER) {
      IP_KMR_OpenStream(viewer->port, data + STREAM_HEADER_VIDEO_FORMAT,
                        STREAM_HEADER_VIDEO_FORMAT_SIZE, KMR_STREAM_VIDEO, 40);
      IP_KMR_Play(viewer->port, &viewer->sink);
    } else if (dataKind == NETSDK_STREAM_VIDEO) {
      IP_KMR_InputVideoData(viewer->port, data, size, frame->frameKind,
                            static_cast<int>(frame->timeStamp));
    }
    std::this_thread::sleep_for(viewer->callbackDelay);
    --viewer->inCallback;
    return 0;
  }

  std::vector<Packet> Packets() {
    std::lock_guard lock(mutex);
    return packets;
  }
};

}  // namespace netsdk_test
