#include "Layout.h"

#include <cmath>
#include <initializer_list>

namespace console {

MainLayout resizeLayout(const MainLayout& previous, float W, float H, bool minimised) {
    MainLayout l = previous;
    if (minimised)
        return l;
    for (TwipsRect* r : {&l.fraSettings, &l.fraInput, &l.fraCommands, &l.txtOutput}) {
        r->left = 75;
        if (W > 250)
            r->width = W - 250;
    }
    if (H > 3325)
        l.txtOutput.height = H - 3325;
    // nearbyint rounds halves to even, as the rule wants.
    l.fraInput.top = std::nearbyint(l.txtOutput.height + l.txtOutput.top + 10) + 10;
    l.fraCommands.top = l.fraInput.height + l.fraInput.top + 10;
    l.lblNotice.left = l.fraInput.width / 2 - l.lblNotice.width / 2;
    if (l.lblNotice.left < 120)
        l.lblNotice.left = 120;
    if (l.fraInput.width > 1350)
        l.cmdConnect.left = l.fraInput.width - 1350;
    if (l.fraInput.width > 1470)
        l.cboCommand.width = l.fraInput.width - 1470;
    if (l.fraCommands.width > 1350)
        l.cmdExit.left = l.fraCommands.width - 1350;
    if (l.cmdExit.left < 4080)
        l.cmdExit.left = 4080;
    return l;
}

} // namespace console
