// The still pictures behind GetSnapshotUri: a JPEG of the picture a profile's clip shows at the
// moment, at the clip's size, encoded on request (a few milliseconds at these sizes).
#pragma once

#include <string>

#include "sim/detail/preview_clip.h"

namespace camsim::detail {

// The clip's picture at program time nowMs, as the looped stream would show it.
int ClipPictureAt(double nowMs);
// A baseline JPEG of picture index of the device's clip at the clip format's size; empty with
// the reason in *error when the encoder is not available.
std::string EncodeSnapshot(const std::string& serial, const std::string& address,
                           const ClipFormat& clipFormat, int index, std::string* error);

}  // namespace camsim::detail
