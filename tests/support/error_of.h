#pragma once

#include "core/runtime_error.h"

#include <functional>

namespace hv::test {

// The failure that `call` raises; number 0 when it raises none.
RuntimeError errorOf(const std::function<void()>& call);

}  // namespace hv::test
