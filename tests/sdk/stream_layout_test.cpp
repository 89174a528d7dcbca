#include <gtest/gtest.h>

#include <vector>

#include "sdk/stream_layout.h"

namespace {

TEST(StreamHeader, FlagsAndFormatBlocksAtTheirOffsets) {
  std::vector<unsigned char> header(sdk::StreamHeaderView::kSize, 0);
  header[32] = 1;
  header[36] = 0x11;
  header[572] = 0x22;
  const sdk::StreamHeaderView view(header.data(), static_cast<int>(header.size()));
  EXPECT_TRUE(view.HasVideo());
  EXPECT_FALSE(view.HasAudio());
  EXPECT_EQ(view.VideoFormat()[0], 0x11);
  EXPECT_EQ(view.AudioFormat()[0], 0x22);
}

TEST(StreamHeader, AShortBufferIsNoHeader) {
  std::vector<unsigned char> header(sdk::StreamHeaderView::kSize - 1, 1);
  const sdk::StreamHeaderView view(header.data(), static_cast<int>(header.size()));
  EXPECT_FALSE(view.IsComplete());
  EXPECT_FALSE(view.HasVideo());
  EXPECT_FALSE(sdk::StreamHeaderView(nullptr, 1000).IsComplete());
}

}  // namespace
