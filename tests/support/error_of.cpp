#include "support/error_of.h"

namespace hv::test {

RuntimeError errorOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const RuntimeError& error) {
        return error;
    }
    return {0, QString()};
}

}  // namespace hv::test
