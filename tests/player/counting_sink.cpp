#include "counting_sink.h"

#include <cstring>
#include <thread>

namespace player_test {

CountingSink::CountingSink(int wantedWidth, int wantedHeight)
    : m_wantedWidth(wantedWidth), m_wantedHeight(wantedHeight) {
  m_sink.picture = &CountingSink::OnPicture;
  m_sink.size = wantedWidth == 0 && wantedHeight == 0 ? nullptr : &CountingSink::OnSize;
  m_sink.context = this;
}

std::vector<ReceivedPicture> CountingSink::Pictures() const {
  std::lock_guard lock(m_mutex);
  return m_pictures;
}

bool CountingSink::WaitForCount(int count) const {
  return Eventually([&] { return Count() >= count; });
}

void CountingSink::SetHook(std::function<void()> hook) {
  std::lock_guard lock(m_mutex);
  m_hook = std::move(hook);
}

void CountingSink::OnPicture(void* context, const KMR_PICTURE* picture) {
  auto* self = static_cast<CountingSink*>(context);
  ++self->m_active;
  ReceivedPicture copy;
  copy.width = picture->width;
  copy.height = picture->height;
  copy.timeStamp = picture->timeStamp;
  copy.pixels.resize(static_cast<std::size_t>(picture->width) * picture->height);
  for (int y = 0; y < picture->height; ++y) {
    std::memcpy(copy.pixels.data() + static_cast<std::size_t>(y) * picture->width,
                picture->pixels + static_cast<std::size_t>(y) * picture->stride,
                static_cast<std::size_t>(picture->width) * sizeof(std::uint32_t));
  }
  std::function<void()> hook;
  {
    std::lock_guard lock(self->m_mutex);
    self->m_pictures.push_back(std::move(copy));
    hook = self->m_hook;
  }
  ++self->m_count;
  if (hook) hook();
  --self->m_active;
}

void CountingSink::OnSize(void* context, int* width, int* height) {
  auto* self = static_cast<CountingSink*>(context);
  *width = self->m_wantedWidth;
  *height = self->m_wantedHeight;
}

bool Eventually(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

}  // namespace player_test
