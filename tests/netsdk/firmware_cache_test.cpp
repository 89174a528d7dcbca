// One copy of a firmware file for every transfer of it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include <unistd.h>

#include "firmware_cache.h"

namespace {

class FirmwareCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_path = std::filesystem::path(::testing::TempDir()) /
             ("firmware_cache_" + std::to_string(::getpid()) + ".bin");
    Write(std::string(100000, 'a'));
  }
  void TearDown() override { std::filesystem::remove(m_path); }
  void Write(const std::string& bytes) { std::ofstream(m_path, std::ios::binary) << bytes; }

  std::filesystem::path m_path;
  netsdk::FirmwareCache m_cache;
};

TEST_F(FirmwareCacheTest, ParallelLoadsOfOneFileShareOneRead) {
  std::vector<std::shared_ptr<const netsdk::FirmwareImage>> images(16);
  std::vector<std::thread> threads;
  for (auto& image : images) {
    threads.emplace_back([&] { image = m_cache.Load(m_path.string()); });
  }
  for (auto& thread : threads) thread.join();
  for (const auto& image : images) {
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image.get(), images[0].get());
  }
  EXPECT_EQ(images[0]->bytes.size(), 100000u);
  EXPECT_EQ(m_cache.Reads(), 1);
}

TEST_F(FirmwareCacheTest, ChangedOrReleasedFilesAreReadAgain) {
  auto first = m_cache.Load(m_path.string());
  Write(std::string(5000, 'b'));
  auto second = m_cache.Load(m_path.string());
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->bytes.size(), 5000u);
  EXPECT_EQ(first->bytes.size(), 100000u) << "a running transfer keeps its copy";
  first.reset();
  second.reset();
  EXPECT_NE(m_cache.Load(m_path.string()), nullptr);
  EXPECT_EQ(m_cache.Reads(), 3);
  EXPECT_EQ(m_cache.Load((m_path.string() + ".missing")), nullptr);
  EXPECT_EQ(m_cache.Load(m_path.parent_path().string()), nullptr);
}

}  // namespace
