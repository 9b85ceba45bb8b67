#include "CreditsScroll.h"

namespace console {

void CreditsScroll::tick() {
    m_top -= kStep;
    if (m_top <= -kBlockHeight)
        m_top = kReentryTop;
}

} // namespace console
