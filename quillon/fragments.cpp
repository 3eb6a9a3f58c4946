#include "fragments.h"

namespace quillon {

const std::array<const char *, kFragmentCount> kFragments = {
    "#T", "#D", "*VO=1S67.1=0", "*VO=5S67.1=0*PPP=4", "*VO=5S67.1=0*PPP=2",
    "*VO=5S67.1=0*PPP=3", "*VO=7", "*PPP=0*VO=8", "*VO=6", "*W", "*P0", "*P1", "*P2", "*P3",
    "*S", "*S1", "*S2", "*T1", "*T2", "S67", "*A", "*VI", "*R", "S69", "*VO", "S67", "#R1",
    "#R2", "#I1", "#I2", "#B1", "#B2", "#VR1", "#VR2", "#VT1", "#VT2", "#S1", "#S2", "*E",
    "#A1", "#A2", "#C1", "#C2", "#D1", "#D2", "#F1", "#F2", "#T1", "#T2", "#W1", "#W2", "*C0",
    "*PD", "*TD", "*Y", "*A0", "*A1", "*D1", "*A2", "*D2", "*A3", "*D3", "*A4", "*D4",
    "*D1=5*D2=180*D3=75*D4=50*A1=10*A2=360*A3=40*A4=5",
    "*D1=10*D2=120*D3=75*D4=50*A1=15*A2=180*A3=75*A4=10", "*PPP", "*K", "*U", "*B", "*C1",
    "*C2", "&F", "Unconditional# :", "Busy#          :", "No Response#   :",
    "Deflection#    :", "#GU", "#GB", "#GR", "#GD", "#EU", "#EB", "#ER", "#ED", "01:", "02:",
    "03:", "04:", "05:", "06:", "07:", "08:", "09:", "10:", "11:", "12:", "13:", "14:", "15:",
    "16:", "17:", "18:", "19:", "20:", "@Z", "@X1", "@X2", "@X3", "@D1", "@D2", "@D3", "@A1",
    "@A2", "@A3", "*PPP=0*PPP=2S67=0", "*PPP=0S67=0", "*PPP=0S67=0*A=1Z!", "*PPP=0*VO=8S67=0",
    "*VO=6S67=0", "*VO=1S67=0", "*X0", "*X1", "*X2", "*X3", "*M"};

int CommandSlots::firstFilled(int from, int to) const
{
    for (int i = std::max(from, 0); i <= to && i < kSlotCount; ++i)
        if (!isEmpty(i) && !slots_[static_cast<size_t>(i)].isEmpty())
            return i;
    return -1;
}

} // namespace quillon
