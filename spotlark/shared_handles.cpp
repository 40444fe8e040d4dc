#include <windows.h>

#include "spotlark_messages.h"

namespace spotlark {

SharedHandles& Shared() {
  static SharedHandles handles;
  return handles;
}

}  // namespace spotlark
