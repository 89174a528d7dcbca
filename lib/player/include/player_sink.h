// What IP_KMR_Play draws into. The "window" of IP_KMR_Play is a KMR_VIDEO_SINK: the window that
// shows a port fills one in and keeps it alive until IP_KMR_Stop of that port has returned.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

// One decoded picture: 32-bit pixels 0xFFRRGGBB in native byte order, rows stride bytes apart.
// The pixels are the player's and valid only during the call.
typedef struct KMR_PICTURE {
  const unsigned char* pixels;
  int width;
  int height;
  int stride;
  int timeStamp;
} KMR_PICTURE;

typedef struct KMR_VIDEO_SINK {
  // Called on a player thread, never on the window's own, and never after IP_KMR_Stop returned.
  // A window hands the picture to its own event loop; it must not block here.
  void (*picture)(void* context, const KMR_PICTURE* picture);
  // Optional (may be null): the size the window wants pictures in, asked before each picture is
  // converted, so a small pane is not sent full-size pictures. Null, or a size <= 0, means the
  // stream's own size. Called on a player thread.
  void (*size)(void* context, int* width, int* height);
  void* context;
} KMR_VIDEO_SINK;

#ifdef __cplusplus
}
#endif
