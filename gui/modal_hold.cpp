#include "gui/modal_hold.h"

#include "gui/ui_seam.h"

namespace hv {

ModalHold::ModalHold(QObject& owner, std::function<void()> step) : m_owner(owner), m_step(std::move(step)) {}

bool ModalHold::mayRun()
{
    if (UiSeam::openModals() == 0)
        return true;
    if (!m_holding) {
        m_holding = true;
        UiSeam::afterModals(&m_owner, [this] {
            m_holding = false;
            m_step();
        });
    }
    return false;
}

}  // namespace hv
