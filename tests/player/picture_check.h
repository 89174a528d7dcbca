// Whether a received picture shows frame index of the test stream: red bar on top, the white
// square where that frame has it, dark elsewhere, every pixel opaque, at any scale.
#pragma once

#include <string>

#include "counting_sink.h"

namespace player_test {

// Empty when the picture shows the frame; otherwise what is wrong with it.
std::string PictureMismatch(const ReceivedPicture& picture, int index, int streamWidth,
                            int streamHeight);

}  // namespace player_test
