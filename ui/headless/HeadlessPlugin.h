// The headless platform as a platform plugin record (ui/PlatformPlugin.h): what the
// plugin libTavroUiHeadless.so hands the platform choice on Linux, and what the Windows
// module links in and records with ui::LinkPlatformPlugin.
#pragma once

#include "ui/PlatformPlugin.h"

namespace ui {

// The record: the headless platform as the environment configures it, no display probe.
const PlatformPlugin& HeadlessPlatformPlugin();

}  // namespace ui
