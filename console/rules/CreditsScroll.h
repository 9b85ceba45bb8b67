#pragma once

namespace console {

// The About box's text block moving up through its viewport like end credits, in twips.
class CreditsScroll {
public:
    static constexpr int kFirstTop = 2280;   // first line near the viewport's lower edge
    static constexpr int kReentryTop = 2535; // just below the viewport (2340 high)
    static constexpr int kStep = 10;
    static constexpr int kBlockHeight = 3375;

    int top() const { return m_top; }
    void restart() { m_top = kFirstTop; }
    // One timer tick: up one step; once the block's lower edge has passed the viewport's top, it
    // comes in again from below.
    void tick();

private:
    int m_top = kFirstTop;
};

} // namespace console
