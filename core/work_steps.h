#pragma once

#include <QtGlobal>
#include <functional>

namespace hv {

// How long work says how far it is: after each step it is called with the
// steps done and the steps there are, and it answers false when the work is
// to stop, which the work does by raising RuntimeError::userInterrupt(),
// leaving what it was making as it was. An empty one asks nothing.
using WorkSteps = std::function<bool(qint64 done, qint64 total)>;

// Tells `steps` of one more step done; raises RuntimeError::userInterrupt()
// when it answers that the work is to stop.
void stepDone(const WorkSteps& steps, qint64 done, qint64 total);

}  // namespace hv
