// The character sets a SWIFT-restricted control stores: the allowed characters and the
// allowed first characters, the SWIFT sets from creation on. They are plain stored
// values for whoever reads them; the control's check always uses the SWIFT sets.
#pragma once

#include <string>
#include <utility>

#include "payee/swift/SwiftText.h"

namespace payee {

class TSwiftSets {
 public:
  const std::string& Mapstr() const { return mapstr_; }
  void SetMapstr(std::string set) { mapstr_ = std::move(set); }
  const std::string& HeadMapstr() const { return headMapstr_; }
  void SetHeadMapstr(std::string set) { headMapstr_ = std::move(set); }

 private:
  std::string mapstr_{kSwiftBodySet};
  std::string headMapstr_{kSwiftHeadSet};
};

}  // namespace payee
