// The pieces of the settings groups over ONVIF that need no device: the documents as the program
// writes them, the cell grid's packing, and the choices made within a device's options.
#include <gtest/gtest.h>

#include "onvif_backend/audio_encoding.h"
#include "onvif_backend/cell_grid.h"
#include "onvif_backend/motion_detection.h"
#include "onvif_backend/overlay.h"
#include "onvif_backend/video_capture.h"
#include "onvif_backend/video_encoding.h"

namespace {

using namespace netsdk::onvif_backend;

BlockGrid Blocks(int columns, int rows, std::initializer_list<int> marked) {
  BlockGrid grid{columns, rows, {}};
  for (int block : marked) grid.marked[static_cast<std::size_t>(block)] = true;
  return grid;
}

TEST(OnvifCellGrid, BlocksLaidOntoTheDevicesGridPackAsOnvifDefinesThem) {
  // ONVIF's own example: an 8 x 6 grid whose upper half and lower left quarter are active, bytes
  // ff ff ff f0 f0 f0, packed fe ff fe f0. The program's 2 x 2 grid with three blocks marked.
  EXPECT_EQ(ActiveCells(LayOnto(Blocks(2, 2, {0, 1, 2}), 8, 6)), "/v/+8A==");
  // 1 x 1: one bit, 0x80 or 0x00, as a literal of one byte.
  EXPECT_EQ(ActiveCells(LayOnto(Blocks(1, 1, {0}), 1, 1)), "AIA=");
  EXPECT_EQ(ActiveCells(LayOnto(Blocks(1, 1, {}), 1, 1)), "AAA=");
  // 3 x 3 onto 3 x 3, the diagonal: 100 010 001 gives 0x88 0x80, a literal of two bytes.
  EXPECT_EQ(ActiveCells(LayOnto(Blocks(3, 3, {0, 4, 8}), 3, 3)), "AYiA");
  // 4 x 4 onto 8 x 8, block 5 (second row, second column): rows 2 and 3 hold 0x30; the rest are
  // zero: runs 00 00, 30 30, 00 00 00 00.
  EXPECT_EQ(ActiveCells(LayOnto(Blocks(4, 4, {5}), 8, 8)), "/wD/MP0A");
  // Non-square device grids: 2 x 2 blocks 1 and 2 onto 4 x 2 give 0011 1100 = 0x3c; the 3 x 3
  // centre block onto 5 x 3 takes the cell whose centre lies in it, the middle one alone.
  EXPECT_EQ(ActiveCells(LayOnto(Blocks(2, 2, {1, 2}), 4, 2)), "ADw=");
  EXPECT_EQ(ActiveCells(LayOnto(Blocks(3, 3, {4}), 5, 3)), "AQEA");
  const std::vector<bool> wide = LayOnto(Blocks(4, 3, {0}), 22, 18);
  ASSERT_EQ(wide.size(), 22u * 18u);
  EXPECT_TRUE(wide[0] && wide[4] && wide[5 * 22 + 4]);
  EXPECT_FALSE(wide[5] || wide[6 * 22]);
  // No cell of a grid larger than the blocks reads past the 64 flags.
  EXPECT_EQ(LayOnto(Blocks(8, 8, {63}), 1000, 1000).back(), true);
}

TEST(OnvifCellGrid, PackBitsSplitsLongRunsAndLiteralsAt128Bytes) {
  const std::string runs = PackBits(std::vector<std::uint8_t>(200, 0));
  EXPECT_EQ(runs, std::string("\x81\x00\xb9\x00", 4));  // 128 then 72 zeros
  std::vector<std::uint8_t> counting(130);
  for (std::size_t i = 0; i < counting.size(); ++i) counting[i] = static_cast<std::uint8_t>(i);
  const std::string literals = PackBits(counting);
  ASSERT_EQ(literals.size(), 1u + 128u + 1u + 2u);
  EXPECT_EQ(static_cast<std::uint8_t>(literals[0]), 127);
  EXPECT_EQ(static_cast<std::uint8_t>(literals[129]), 1);
  // A pair inside literals ends them: 1 2 3 3 4 packs as 1 2, 3 3, 4.
  EXPECT_EQ(PackBits({1, 2, 3, 3, 4}), std::string("\x01\x01\x02\xff\x03\x00\x04", 7));
  EXPECT_TRUE(PackBits({}).empty());
}

H264Options DeviceOptions() {
  H264Options options;
  options.sizes = {{1920, 1080}, {1280, 720}, {704, 576}};
  options.govLength = Range{1, 150};
  options.frameRates = {25, 20, 15, 10, 5, 1};
  options.bitrate = Range{64, 8192};
  options.profiles = {"Main", "High"};
  options.constantBitRate = true;
  return options;
}

TEST(OnvifVideoEncoding, TheDocumentFitsTheOptionsOrFailsOnAValueTheDeviceDoesNotList) {
  const std::optional<VideoEncodeRequest> request = ReadVideoEncodeRequest(
      "<Encode><EncodeConfig Stream=\"1\" Resolution=\"1080P\" EncodeFormat=\"H264\" "
      "BitRateControl=\"VBR\" Initquant=\"4\" BitRate=\"20000\" FrameRate=\"30\" />"
      "<EncodeConfig Stream=\"2\" Resolution=\"D1\" EncodeFormat=\"H264\" BitRateControl=\"CBR\" "
      "Initquant=\"200\" BitRate=\"512\" FrameRate=\"12\" />"
      "<AdvanceEncodeConfig EncodeProfile=\"0\" DisablePrivateData=\"1\" /></Encode>");
  ASSERT_TRUE(request.has_value());
  EXPECT_EQ(request->streams[0].size, (VideoSize{1920, 1080}));
  EXPECT_EQ(request->streams[1].size, (VideoSize{704, 576}));
  EXPECT_FALSE(request->baseline);

  VideoEncoderConfig current;
  current.profile = "High";
  current.quality = 4;
  std::string reason;
  std::vector<std::string> notes;
  const auto main = FitStream(request->streams[0], false, MediaVersion::kMedia2, DeviceOptions(),
                              current, &reason, &notes);
  ASSERT_TRUE(main.has_value()) << reason;
  EXPECT_EQ(main->encoding, "H264");
  EXPECT_EQ(main->frameRateLimit, 25) << "the offered rate nearest below 30";
  EXPECT_EQ(main->bitrateLimit, 8192) << "kept inside the bit rate range";
  EXPECT_EQ(main->govLength, 100) << "4 s at 25 frames a second";
  EXPECT_EQ(main->profile, "High") << "the device's own profile stands when Baseline is not asked";
  EXPECT_EQ(main->constantBitRate, false);
  EXPECT_EQ(main->quality, 4) << "what the program does not set stays";
  EXPECT_EQ(notes.size(), 2u) << "frame rate and bit rate were changed";

  const auto sub = FitStream(request->streams[1], false, MediaVersion::kMedia2, DeviceOptions(),
                             VideoEncoderConfig{}, &reason, &notes);
  ASSERT_TRUE(sub.has_value()) << reason;
  EXPECT_EQ(sub->frameRateLimit, 10);
  EXPECT_EQ(sub->govLength, 150) << "200 s at 10 frames is beyond GovLengthRange";
  EXPECT_EQ(sub->constantBitRate, true);

  // Refused, not rounded: a size the device does not list, Baseline where it has none, a constant
  // rate it cannot keep.
  StreamRequest small = request->streams[1];
  small.resolution = "CIF";
  small.size = *ResolutionSize("CIF");
  EXPECT_FALSE(
      FitStream(small, false, MediaVersion::kMedia2, DeviceOptions(), {}, &reason, &notes));
  EXPECT_EQ(reason, "resolution CIF (352x288) is not offered");
  EXPECT_FALSE(FitStream(request->streams[1], true, MediaVersion::kMedia2, DeviceOptions(), {},
                         &reason, &notes));
  EXPECT_NE(reason.find("Baseline"), std::string::npos);
  H264Options variableOnly = DeviceOptions();
  variableOnly.constantBitRate = false;
  EXPECT_FALSE(FitStream(request->streams[1], false, MediaVersion::kMedia2, variableOnly, {},
                         &reason, &notes));
  // The Media service has a frame-rate range and no rate control mode.
  H264Options media = DeviceOptions();
  media.frameRates.clear();
  media.frameRateRange = Range{1, 30};
  const auto older =
      FitStream(request->streams[0], false, MediaVersion::kMedia, media, {}, &reason, &notes);
  ASSERT_TRUE(older.has_value());
  EXPECT_EQ(older->frameRateLimit, 30);
  EXPECT_FALSE(older->constantBitRate.has_value());
  EXPECT_FALSE(ReadVideoEncodeRequest("<Encode><EncodeConfig Resolution=\"9999P\"/></Encode>"));
}

TEST(OnvifOverlay, TheOfferedFormatsNearestTheProgramsAreChosenAndTheTitleIsDecoded) {
  const std::vector<std::string> many = {"M/d/yyyy",      "MM/dd/yyyy",   "dd/MM/yyyy",
                                         "yyyy/MM/dd",    "yyyy-MM-dd",   "dddd, MMMM dd, yyyy",
                                         "MMMM dd, yyyy", "dd MMMM, yyyy"};
  EXPECT_EQ(NearestDateFormat("yyyy-mm-dd hh:mm:ss", many), "yyyy-MM-dd");
  EXPECT_EQ(NearestDateFormat("yyyy/mm/dd hh:mm:ss", many), "yyyy/MM/dd");
  EXPECT_EQ(NearestDateFormat("yy-mm-dd hh:mm:ss", many), "yyyy-MM-dd");
  EXPECT_EQ(NearestDateFormat("hh:mm:ss dd/mm/yyyy", many), "dd/MM/yyyy");
  EXPECT_EQ(NearestDateFormat("hh:mm:ss mm-dd-yyyy", many), "MM/dd/yyyy");
  const std::vector<std::string> few = {"MM/dd/yyyy", "dd/MM/yyyy"};
  EXPECT_EQ(NearestDateFormat("yyyy-mm-dd hh:mm:ss", few), "MM/dd/yyyy")
      << "no order matches: the first numeric one";
  EXPECT_EQ(NearestTimeFormat({"h:mm:ss tt", "hh:mm:ss tt", "H:mm:ss", "HH:mm:ss"}), "HH:mm:ss");
  EXPECT_EQ(NearestTimeFormat({"hh:mm:ss tt", "H:mm:ss"}), "H:mm:ss");
  EXPECT_TRUE(NearestTimeFormat({}).empty());

  // "标题^2" in GBK, as the program sends it: hexadecimal digits of its bytes.
  const auto request = ReadOverlayRequest(
      "<Overlay Enable=\"1\" Transparency=\"0\"><TimeOverlay PosX=\"1\" PosY=\"0\" "
      "Format=\"yy/mm/dd hh:mm:ss\" /><TitleOverlay PosX=\"2\" PosY=\"2\" "
      "Title=\"b1eacce25e32\" /></Overlay>");
  ASSERT_TRUE(request.has_value());
  EXPECT_EQ(request->title, "\xE6\xA0\x87\xE9\xA2\x98^2");
  EXPECT_EQ(PositionType(request->timePlace), "UpperRight");
  EXPECT_EQ(request->titlePlace, OverlayPlace::kHidden);
  EXPECT_FALSE(
      ReadOverlayRequest("<Overlay Enable=\"1\"><TimeOverlay/><TitleOverlay "
                         "Title=\"b1e\"/></Overlay>"))
      << "an odd number of digits";
}

TEST(OnvifAudioAndCapture, CodecsRatesAndLevelsAreTakenFromTheOptions) {
  const std::vector<AudioEncoderOption> options = {{"PCMA", {64}, {8}},
                                                   {"MP4A-LATM", {16, 32, 64}, {8, 16}}};
  std::string reason;
  const auto g711 = ChooseAudioEncoder({true, false, 8000, 6400}, options, &reason);
  ASSERT_TRUE(g711.has_value()) << reason;
  EXPECT_EQ(g711->encoding, "PCMA") << "A-law where µ-law is not offered";
  EXPECT_EQ(g711->bitrateKbps, 64);
  const auto aac = ChooseAudioEncoder({true, true, 16000, 16000}, options, &reason);
  ASSERT_TRUE(aac.has_value());
  EXPECT_EQ(aac->encoding, "MP4A-LATM");
  EXPECT_EQ(aac->sampleRateKhz, 16);
  EXPECT_EQ(aac->bitrateKbps, 16);
  EXPECT_FALSE(ChooseAudioEncoder({true, false, 16000, 6400}, options, &reason));
  EXPECT_EQ(reason, "G.711 at 16000 Hz is not offered");
  EXPECT_FALSE(ChooseAudioEncoder({true, true, 8000, 6400}, {{"PCMU", {64}, {8}}}, &reason));
  EXPECT_EQ(reason, "AAC is not offered");

  EXPECT_EQ(ScaleLevel(0, {0, 100}), 0);
  EXPECT_EQ(ScaleLevel(255, {0, 100}), 100);
  EXPECT_EQ(ScaleLevel(128, {-50, 50}), 0);
  EXPECT_EQ(ScaleLevel(300, {0, 15}), 15) << "beyond the program's range: clamped";
  EXPECT_EQ(ScaleLevel(-5, {1, 10}), 1);

  const auto capture = ReadCaptureRequest(
      "<Capture IrcutMode=\"3\" IrcutKeepColor=\"0\" IrcutSensitivity=\"50\" "
      "IrcutNightStartTime=\"18:00:00\" IrcutNightEndTime=\"06:00:00\" Brightness=\"255\" "
      "Saturation=\"0\" Sharpness=\"128\" Contrast=\"64\" BackLight=\"10\" DayNight=\"1\" "
      "WhiteBalance=\"2\" Switch2A=\"0\" BinningSkip=\"0\" TVSystem=\"1\" HFlip=\"1\" VFlip=\"0\" "
      "XOffset=\"\" YOffset=\"\" />");
  ASSERT_TRUE(capture.has_value());
  ImagingOptions imaging;
  imaging.brightness = Range{0, 100};
  imaging.sharpness = Range{0, 15};
  imaging.backlightModes = {"OFF", "ON"};
  imaging.irCutModes = {"ON", "OFF", "AUTO"};
  imaging.whiteBalanceModes = {"AUTO", "MANUAL"};
  const auto xml = ImagingSettingsXml(*capture, imaging, &reason);
  ASSERT_TRUE(xml.has_value()) << reason;
  EXPECT_EQ(*xml,
            "<timg:ImagingSettings><tt:BacklightCompensation><tt:Mode>ON</tt:Mode>"
            "</tt:BacklightCompensation><tt:Brightness>100</tt:Brightness><tt:IrCutFilter>ON"
            "</tt:IrCutFilter><tt:Sharpness>8</tt:Sharpness><tt:WhiteBalance><tt:Mode>MANUAL"
            "</tt:Mode></tt:WhiteBalance></timg:ImagingSettings>");
  imaging.whiteBalanceModes = {"AUTO"};
  EXPECT_FALSE(ImagingSettingsXml(*capture, imaging, &reason));
  EXPECT_EQ(reason, "white balance MANUAL is not offered");
}

TEST(OnvifMotion, TheDocumentGivesTheGridItsFlagsAndLevels) {
  const auto request = ReadMotionRequest(
      "<MotionDetectAlarm Enable=\"1\" BlockCount=\"196610\" BlockConfig=\"" +
      std::string("100001") + std::string(58, '0') +
      "\" Sensitivity=\"500\" AlarmThreshold=\"3\" NightSensitivity=\"0\" "
      "NightAlarmThreshold=\"0\" NightStartTime=\"00:00:00\" NightEndTime=\"00:00:00\" "
      "DayNightSwitch=\"0\"><EnableTimeList /></MotionDetectAlarm>");
  ASSERT_TRUE(request.has_value());
  EXPECT_EQ(request->blocks.columns, 3);
  EXPECT_EQ(request->blocks.rows, 2);
  EXPECT_TRUE(request->blocks.marked[0] && request->blocks.marked[5]);
  EXPECT_FALSE(request->blocks.marked[1]);
  EXPECT_EQ(request->sensitivity, 500);
  EXPECT_FALSE(ReadMotionRequest("<MotionDetectAlarm Enable=\"1\"/>"));
}

}  // namespace
