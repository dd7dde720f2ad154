#include "ui/PlatformFactory.h"

#include "ui/headless/HeadlessPlatform.h"

namespace ui {

std::unique_ptr<Platform> CreatePlatform(const std::string& kind) {
  if (kind == "headless") {
    return HeadlessPlatform::FromEnvironment();
  }
  return nullptr;
}

}  // namespace ui
