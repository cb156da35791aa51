#pragma once
// The modes the connection wizard opens in: from the menu, at the first run, or straight at one
// transfer. The numbers are the wizard's own.

namespace cs::wizard {

enum class WizardMode : int {
    Menu = 0,
    FirstRun = 1,
    ReceiveDatabase = 30,
    SendDatabase = 46,
    SoftwareUpgrade = 62,
};

} // namespace cs::wizard
