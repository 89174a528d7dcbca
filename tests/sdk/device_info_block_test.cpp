#include <gtest/gtest.h>

#include <cstring>

#include "sdk/device_info_block.h"

namespace {

using sdk::DeviceInfoBlock;

TEST(DeviceInfoBlock, ReadsEachFieldAtItsOffset) {
  DeviceInfoBlock block;
  unsigned char* b = block.data();
  std::strcpy(reinterpret_cast<char*>(b + 0), "SN0001");
  std::strcpy(reinterpret_cast<char*>(b + 32), "IPC-B12");
  std::strcpy(reinterpret_cast<char*>(b + 68), "admin");
  std::strcpy(reinterpret_cast<char*>(b + 108), "secret");
  b[2472] = 0x02;  // channel 0x01000002, little-endian
  b[2475] = 0x01;
  b[2480] = 0x40;  // port 8000 = 0x1F40
  b[2481] = 0x1F;
  std::strcpy(reinterpret_cast<char*>(b + 2488), "00:11:22:33:44:55");
  std::strcpy(reinterpret_cast<char*>(b + 2748), "192.168.1.64");
  std::strcpy(reinterpret_cast<char*>(b + 3004), "255.255.255.0");
  std::strcpy(reinterpret_cast<char*>(b + 3260), "192.168.1.1");
  b[4026] = 0xFF;
  b[4027] = 0x01;

  EXPECT_EQ(block.Serial(), "SN0001");
  EXPECT_EQ(block.DeviceType(), "IPC-B12");
  EXPECT_EQ(block.User(), "admin");
  EXPECT_EQ(block.Password(), "secret");
  EXPECT_EQ(block.Channel(), 0x01000002);
  EXPECT_EQ(block.Port(), 8000);
  EXPECT_EQ(block.Mac(), "00:11:22:33:44:55");
  EXPECT_EQ(block.Ip(), "192.168.1.64");
  EXPECT_EQ(block.Mask(), "255.255.255.0");
  EXPECT_EQ(block.Gateway(), "192.168.1.1");
  EXPECT_EQ(block.AllNetSupport(), 0xFF);
  EXPECT_EQ(block.AllNetState(), 1);
}

TEST(DeviceInfoBlock, AFieldWithoutTerminatorIsReadOnlyToItsEnd) {
  DeviceInfoBlock block;
  std::memset(block.data(), 'S', 32);
  std::memset(block.data() + 32, 'T', 36);
  EXPECT_EQ(block.Serial(), std::string(32, 'S'));
  EXPECT_EQ(block.DeviceType(), std::string(36, 'T'));
}

TEST(DeviceInfoBlock, WritersClearTheFieldAndBoundTheText) {
  DeviceInfoBlock block;
  std::memset(block.data(), 0xAB, DeviceInfoBlock::kSize);
  block.SetIp("192.168.1.100");
  EXPECT_EQ(block.Ip(), "192.168.1.100");
  for (size_t i = 2748 + 13; i < 2748 + 256; ++i) ASSERT_EQ(block.data()[i], 0) << i;
  block.SetMask(std::string(300, '9'));
  EXPECT_EQ(block.Mask().size(), DeviceInfoBlock::kMaxAddressText);
  block.SetGateway("10.0.0.1");
  EXPECT_EQ(block.Gateway(), "10.0.0.1");
  // Bytes between the fields belong to the library and are carried unchanged.
  EXPECT_EQ(block.data()[2747], 0xAB);
  EXPECT_EQ(block.data()[3516], 0xAB);
  block.SetAllNetState(0);
  EXPECT_EQ(block.AllNetState(), 0);
  EXPECT_EQ(block.AllNetSupport(), 0xAB);
}

TEST(ResponseCode, FailureBitGivesTheNegativeLowBits) {
  EXPECT_EQ(sdk::NormaliseResponseCode(1009), 1009);
  EXPECT_EQ(sdk::NormaliseResponseCode(0x80000000u | 1009), -1009);
  EXPECT_EQ(sdk::NormaliseResponseCode(0x80000000u | 0x7F000000u | 222), -222);
  EXPECT_EQ(sdk::NormaliseResponseCode(0x80000000u), 0);
}

}  // namespace
