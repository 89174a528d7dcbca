// The format blocks of a stream header, as IP_KMR_OpenStream takes them: what the camera encodes
// and how the player must set up its decoder. Both blocks are little-endian byte records read at
// the offsets below; every byte not listed is zero.
#pragma once

// Video format block: 536 bytes.
#define KMR_VIDEO_FORMAT_SIZE 536
#define KMR_VIDEO_MAGIC 0x5644524Bu /* "KRDV" read as a little-endian uint32 */
#define KMR_VIDEO_MAGIC_AT 0        /* uint32 */
#define KMR_VIDEO_CODEC_AT 4        /* uint32, KMR_CODEC_* */
#define KMR_VIDEO_WIDTH_AT 8        /* uint16, pixels */
#define KMR_VIDEO_HEIGHT_AT 10      /* uint16, pixels */
#define KMR_VIDEO_FPS_AT 12         /* uint16, frames per second */
#define KMR_VIDEO_CONFIG_SIZE_AT 14 /* uint16, bytes of decoder configuration at CONFIG_AT */
#define KMR_VIDEO_CONFIG_AT                                             \
  16 /* parameter sets, Annex B: H.264 SPS and PPS; H.265 VPS, SPS, PPS \
      */
#define KMR_VIDEO_CONFIG_MAX (KMR_VIDEO_FORMAT_SIZE - KMR_VIDEO_CONFIG_AT)

// Audio format block: 276 bytes.
#define KMR_AUDIO_FORMAT_SIZE 276
#define KMR_AUDIO_MAGIC 0x4144524Bu /* "KRDA" */
#define KMR_AUDIO_MAGIC_AT 0        /* uint32 */
#define KMR_AUDIO_CODEC_AT 4        /* uint32, KMR_CODEC_* */
#define KMR_AUDIO_RATE_AT 8         /* uint32, samples per second */
#define KMR_AUDIO_CHANNELS_AT 12    /* uint16 */

#define KMR_CODEC_H264 1
#define KMR_CODEC_G711_ULAW 2
#define KMR_CODEC_G711_ALAW 3
#define KMR_CODEC_H265 4 /* video, as H.264 but for the parameter sets it needs */

// Frame types of IP_KMR_InputVideoData; the device library's frame records use the same values.
#define KMR_FRAME_KEY 1   /* decodable on its own */
#define KMR_FRAME_DELTA 2 /* needs the frames before it since the last key frame */
