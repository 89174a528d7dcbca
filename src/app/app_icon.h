// The application icon (resource 128): drawn in code, a camera lens on a dark tile.
#pragma once

#include <QIcon>

namespace app {

QIcon AppIcon();

}  // namespace app
