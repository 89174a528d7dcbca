// What a pane of the multi-device preview paints: black, the video inside its margin, and the
// result border, read from the painted pixels.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <vector>

#include "discovery/device_record.h"
#include "preview/sta_wnd.h"
#include "support/event_loop.h"

namespace preview {
namespace {

constexpr int kWidth = 120;
constexpr int kHeight = 80;

QRgb At(const QImage& image, int x, int y) {
  return image.pixel(x, y) & 0xFFFFFF;
}

// A picture of one colour through the pane's sink, as the player hands one over on its thread.
void HandOver(CStaWnd& pane, std::uint32_t colour) {
  std::vector<std::uint32_t> pixels(64 * 36, colour);
  KMR_PICTURE picture{reinterpret_cast<const unsigned char*>(pixels.data()), 64, 36, 64 * 4, 0};
  KMR_VIDEO_SINK* sink = pane.Surface().Sink();
  sink->picture(sink->context, &picture);
}

void ShowWhitePicture(CStaWnd& pane) {
  HandOver(pane, 0xFFFFFFFFu);
  ASSERT_TRUE(testsupport::RunUntil([&] { return pane.Surface().PicturesShown() == 1; }));
}

TEST(PreviewPane, BorderShowsTheUpgradeResultAndTheVideoStaysInsideTheMargin) {
  struct Case {
    discovery::UpgradeResult result;
    QRgb border;
  };
  const Case cases[] = {{discovery::kUpgradeSucceeded, 0x00FF00},
                        {discovery::kUpgradeFailed, 0xFF0000},
                        {discovery::kUpgradeNone, 0x000000}};
  for (const Case& c : cases) {
    for (bool withVideo : {false, true}) {
      SCOPED_TRACE(testing::Message() << "result " << c.result << (withVideo ? " with video" : ""));
      discovery::DeviceRecord record;
      record.upgradeResult = c.result;
      CStaWnd pane;
      pane.SetRecord(&record);
      pane.resize(kWidth, kHeight);
      if (withVideo) ShowWhitePicture(pane);
      const QImage image = pane.grab().toImage();
      ASSERT_EQ(image.size(), QSize(kWidth, kHeight));
      // The border: 5 pixels along every edge, corners included.
      for (int d : {0, 4}) {
        EXPECT_EQ(At(image, d, kHeight / 2), c.border);
        EXPECT_EQ(At(image, kWidth - 1 - d, kHeight / 2), c.border);
        EXPECT_EQ(At(image, kWidth / 2, d), c.border);
        EXPECT_EQ(At(image, kWidth / 2, kHeight - 1 - d), c.border);
      }
      EXPECT_EQ(At(image, 0, 0), c.border);
      EXPECT_EQ(At(image, kWidth - 1, kHeight - 1), c.border);
      // Inside the margin: the video, or black without it.
      const QRgb inside = withVideo ? 0xFFFFFF : 0x000000;
      EXPECT_EQ(At(image, 5, 5), inside);
      EXPECT_EQ(At(image, kWidth / 2, kHeight / 2), inside);
      EXPECT_EQ(At(image, kWidth - 6, kHeight - 6), inside);
    }
  }
  // A pane beyond the devices has no record: black, no border.
  CStaWnd empty;
  empty.resize(kWidth, kHeight);
  const QImage image = empty.grab().toImage();
  EXPECT_EQ(At(image, 0, 0), 0x000000u);
  EXPECT_EQ(At(image, kWidth / 2, kHeight / 2), 0x000000u);
}

// Pictures that arrive while the window thread is busy do not queue up: the newest replaces the
// one waiting, and only it is shown.
TEST(PreviewPane, PicturesWhileTheWindowIsBusyWaitAsOneTheNewest) {
  discovery::DeviceRecord record;
  CStaWnd pane;
  pane.SetRecord(&record);
  pane.resize(kWidth, kHeight);
  for (int i = 0; i < 50; ++i) HandOver(pane, 0xFF000000u | static_cast<std::uint32_t>(i));
  HandOver(pane, 0xFF3366CCu);
  ASSERT_TRUE(testsupport::RunUntil([&] { return pane.Surface().PicturesShown() >= 1; }));
  QApplication::processEvents();
  EXPECT_EQ(pane.Surface().PicturesShown(), 1);
  EXPECT_EQ(At(pane.grab().toImage(), kWidth / 2, kHeight / 2), 0x3366CCu);
}

}  // namespace
}  // namespace preview
