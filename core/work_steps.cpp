#include "core/work_steps.h"

#include "core/runtime_error.h"

namespace hv {

void stepDone(const WorkSteps& steps, qint64 done, qint64 total)
{
    if (steps && !steps(done, total))
        throw RuntimeError::userInterrupt();
}

}  // namespace hv
