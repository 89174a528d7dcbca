// The video of one port: a bounded queue of frames filled by the caller's thread, drained in order
// by one player thread at a time, and the sink the decoded pictures go to.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "ffmpeg_handles.h"
#include "format_block.h"
#include "player_sink.h"
#include "video_decoder.h"

namespace player {

class VideoStream : public std::enable_shared_from_this<VideoStream> {
 public:
  // True when the stream already decodes format; it then takes bufferFrames as its new bound.
  bool Keep(const VideoFormat& format, int bufferFrames);
  // Switches to format with its freshly opened decoder; the frames queued for the old one are
  // dropped. -1 once stopped.
  int Reopen(const VideoFormat& format, std::unique_ptr<VideoDecoder> decoder, int bufferFrames);
  void Bind(const KMR_VIDEO_SINK& sink);
  // Copies the frame into the queue; -1 before the first Reopen or once stopped.
  int Input(const unsigned char* data, int size, bool key, int timeStamp);
  // After it returns the sink is not called again, except that a Stop from inside the sink lets
  // the picture in hand return first. Never waits for the calling thread itself.
  void Stop();

  // Player thread: decodes up to maxFrames queued frames; true when more are waiting.
  bool DecodeSome(int maxFrames);

 private:
  struct QueuedFrame {
    PacketPtr packet;
    bool key = false;
  };

  void DecodeFrame(const QueuedFrame& frame);
  void Deliver(const AVFrame& picture);
  void DropQueue();

  std::mutex m_mutex;
  std::condition_variable m_idle;
  std::optional<VideoFormat> m_format;
  std::deque<QueuedFrame> m_queue;
  std::size_t m_queuedBytes = 0;
  std::size_t m_capacity = 0;
  bool m_dropUntilKey = true;
  bool m_scheduled = false;  // in the player's ready list or being decoded
  bool m_decoding = false;
  std::thread::id m_decodingThread;
  bool m_stopped = false;
  std::optional<KMR_VIDEO_SINK> m_sink;
  std::unique_ptr<VideoDecoder> m_nextDecoder;

  // Touched only by the player thread that holds the stream (m_decoding), or by Stop once no
  // thread does.
  std::unique_ptr<VideoDecoder> m_decoder;
  bool m_needKey = true;
};

}  // namespace player
