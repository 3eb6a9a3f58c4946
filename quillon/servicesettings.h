#pragma once
// The supplementary service pages' settings: call forwarding per MSN and
// kind, and the call screening list. The lists are read by the report
// parsers; here the differences between the current and the as-read lists
// become their lines.

#include "protocolsettings.h"

namespace quillon {

// The kinds in the order of their command slots (two slots each, eight per MSN).
constexpr std::array<ForwardKind, 4> kForwardSlotOrder = {FwdBusy, FwdNoResponse, FwdUnconditional,
                                                          FwdDeflection};
constexpr int kFirstForwardSlot = 24;

// For each changed number or enable: the number line and the enable line.
QList<SlotLine> composeForwarding(const ForwardingList &current, const ForwardingList &read);

// A kind whose box is unchecked and whose number is empty has nothing to
// enable: its box is disabled and its enable value is 0.
bool forwardBoxUsable(const ForwardEntry &e);

enum ScreenPolicy { PolicyAccept = 0, PolicyReject = 1 };   // Combo_CLIDPort* index

// Slot 48 (changed policies), 49-51 (newly listed), 52-54 (newly unlisted),
// 55-74 (changed numbers).
QList<SlotLine> composeScreening(const ScreeningList &current, const ScreeningList &read);

// "Accept All" for one port: reject-listing with no entry listed.
void acceptAll(ScreeningList &list, int port);

} // namespace quillon
