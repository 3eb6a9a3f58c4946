#pragma once
// The AT fragment table and the numbered command lines a save fills.
// Every fragment doubles as the keyword that finds the setting in the TA's
// reports, so the same text is used to read a value and to write it.

#include <QString>
#include <array>

namespace quillon {

constexpr int kFragmentCount = 126;
extern const std::array<const char *, kFragmentCount> kFragments;

// Positions of the fragments in kFragments (same order as the table).
enum Fragment : int {
    F_Time = 0, F_Date, F_Outgoing0, F_Outgoing1, F_Outgoing2, F_Outgoing3, F_Outgoing5,
    F_Outgoing6, F_Outgoing4, F_SwitchType, F_AreaCode, F_Number1, F_Number2, F_Number3,
    F_AutoSpid, F_Spid1, F_Spid2, F_Tei1, F_Tei2, F_S67, F_Aodi, F_IncomingProtocol,
    F_IncomingNumber, F_S69, F_OutgoingProtocol, F_S67b, F_Ring1, F_Ring2, F_CallerId1,
    F_CallerId2, F_Bearer1, F_Bearer2, F_ReceiveVol1, F_ReceiveVol2, F_TransmitVol1,
    F_TransmitVol2, F_AdvCall1, F_AdvCall2, F_DynamicVoice, F_CallWait1, F_CallWait2,
    F_Conference1, F_Conference2, F_Drop1, F_Drop2, F_Forward1, F_Forward2, F_Transfer1,
    F_Transfer2, F_Message1, F_Message2, F_AodiCarrier, F_AodiNumber, F_AodiTei,
    F_ReverseCharge, F_AodiBandwidth, F_AddTimeB1, F_AddTimeB2, F_DropTimeB1, F_DropTimeB2,
    F_AddThresholdB1, F_AddThresholdB2, F_DropThresholdB1, F_DropThresholdB2,
    F_PresetAggressive, F_PresetConservative, F_PppMode, F_Compression, F_Endpoint, F_Bacp,
    F_LocalPrefix, F_LongDistPrefix, F_FactoryTemplate, F_FwdUnconditional, F_FwdBusy,
    F_FwdNoResponse, F_FwdDeflection, F_FwdNumberU, F_FwdNumberB, F_FwdNumberR, F_FwdNumberD,
    F_FwdEnableU, F_FwdEnableB, F_FwdEnableR, F_FwdEnableD, F_Entry01,
    F_ScreenNumber = F_Entry01 + 20, F_ScreenPolicy1, F_ScreenPolicy2, F_ScreenPolicy3,
    F_ScreenUnlist1, F_ScreenUnlist2, F_ScreenUnlist3, F_ScreenList1, F_ScreenList2,
    F_ScreenList3, F_Profile0, F_Profile1, F_Profile2, F_Profile3, F_Profile4, F_Profile5,
    F_X75Frame, F_X75Window, F_X75Mode, F_X75Layer3, F_BusConfig
};
static_assert(F_BusConfig == kFragmentCount - 1, "fragment enum out of step with the table");

inline QString frag(Fragment f) { return QString::fromLatin1(kFragments[f]); }

// 77 command lines, numbered 0 to 76; "AT\r" is an empty line.
constexpr int kSlotCount = 77;
inline const QString kEmptyLine = QStringLiteral("AT\r");

class CommandSlots {
public:
    CommandSlots() { clear(); }
    void clear() { slots_.fill(QString()); }          // the state right after construction
    void reset() { slots_.fill(kEmptyLine); }        // every line empty
    QString &operator[](int i) { return slots_[static_cast<size_t>(i)]; }
    const QString &operator[](int i) const { return slots_[static_cast<size_t>(i)]; }
    bool isEmpty(int i) const { return slots_[static_cast<size_t>(i)] == kEmptyLine; }
    // First non-empty slot in [from, to], -1 when none. A never-filled slot
    // (right after construction) counts as empty too.
    int firstFilled(int from, int to) const;
private:
    std::array<QString, kSlotCount> slots_;
};

} // namespace quillon
