#pragma once

namespace console {

// A control's place in twips, relative to its container.
struct TwipsRect {
    float left = 0, top = 0, width = 0, height = 0;
    bool operator==(const TwipsRect&) const = default;
};

// The controls of the main window that its resize rules move or stretch.
struct MainLayout {
    TwipsRect fraSettings{120, 0, 8655, 735};
    TwipsRect txtOutput{113, 840, 8655, 5655};
    TwipsRect fraInput{120, 6360, 8655, 975};
    TwipsRect lblNotice{1680, 240, 5055, 255};
    TwipsRect cboCommand{120, 480, 7080, 330};
    TwipsRect cmdConnect{7320, 480, 1185, 350};
    TwipsRect fraCommands{120, 7320, 8655, 735};
    TwipsRect cmdExit{7320, 260, 1185, 350};
    bool operator==(const MainLayout&) const = default;
};

// The resize rules: from the window's outer size (twips) and the layout before, the layout after.
// Sizes at or below a rule's threshold leave that control as it was.
MainLayout resizeLayout(const MainLayout& previous, float outerWidth, float outerHeight, bool minimised);

} // namespace console
