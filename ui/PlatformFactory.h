// Creates a platform by its name ("headless"; later "qt"). Returns null for an
// unknown name.
#pragma once

#include <memory>
#include <string>

#include "ui/Platform.h"

namespace ui {
std::unique_ptr<Platform> CreatePlatform(const std::string& kind);
}
