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

// A white picture through the pane's sink, as the player hands one over on its thread.
void ShowWhitePicture(CStaWnd& pane) {
  std::vector<std::uint32_t> pixels(64 * 36, 0xFFFFFFFFu);
  KMR_PICTURE picture{reinterpret_cast<const unsigned char*>(pixels.data()), 64, 36, 64 * 4, 0};
  KMR_VIDEO_SINK* sink = pane.Surface().Sink();
  sink->picture(sink->context, &picture);
  ASSERT_TRUE(testsupport::RunUntil([&] { return pane.Surface().PicturesShown() == 1; }));
}

TEST(PreviewPane, BorderShowsTheUpgradeResultAndTheVideoStaysInsideTheMargin) {
  struct Case {
    int result;
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

}  // namespace
}  // namespace preview
