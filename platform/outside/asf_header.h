// A small scan of an ASF file's header objects: is it ASF at all, does it carry a content
// encryption object (rights-managed audio we may not decode), and is the file shorter than its
// header says (cut off)?
#pragma once

#include <string>

namespace velt::platform::outside {

enum class AsfHeader { Plain, NotAsf, Encrypted, Truncated };

AsfHeader ScanAsfHeader(const std::string& path);

}  // namespace velt::platform::outside
