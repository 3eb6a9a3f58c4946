#pragma once
// The settings of the basic, data, voice and advanced voice pages as plain
// values: how each is read from the stored replies and how the differences
// between the current and the as-read values become one command line.

#include "replyparsers.h"

#include <QString>
#include <array>

namespace quillon {

// B-channel rate choices, shared by the basic and the data page.
enum BRate { RateAuto = 0, Rate56K = 1, Rate64K = 2 };

struct BasicSettings {
    int outgoing = 0;        // Outgoing_Combo index
    int dvo = 0;             // DVO_Combo index
    int bRate = RateAuto;
    int port1 = 0;           // CBox_BasicPort1 index
    int port2 = 0;
    bool operator==(const BasicSettings &) const = default;
};

struct DataSettings {
    int incoming = 0;        // Combo_DataIncoming index
    int number = 0;          // Combo_DataDN index
    bool dataOverVoice = false;
    int outgoing = 0;        // Combo_DataOutgoing index
    int bChannel = RateAuto; // Combo_DataBChannel index
    bool voiceMail = false;  // CkBox_VoiceMail (voice page)
    bool operator==(const DataSettings &) const = default;
};

struct VoiceSettings {
    std::array<int, 2> number{};      // Combo_ADP1_DN, Combo_ADP2_DN
    std::array<bool, 2> callerId{};
    std::array<int, 2> bearer{};
    std::array<int, 2> receiveVolume{};
    std::array<bool, 2> advancedCall{};
    int dvo = 0;
    bool operator==(const VoiceSettings &) const = default;
};

// Feature button numbers; 0 means the feature is off.
struct AdvVoiceSettings {
    std::array<bool, 2> callWaiting{};
    std::array<int, 2> conference{};
    std::array<int, 2> drop{};
    std::array<int, 2> forward{};
    std::array<int, 2> transfer{};
    std::array<int, 2> message{};
    bool operator==(const AdvVoiceSettings &) const = default;
};

// Default button numbers a feature gets when it is switched on with "0" in its edit.
constexpr int kDefaultConference = 60, kDefaultDrop = 62, kDefaultForward = 57,
              kDefaultTransfer = 61, kDefaultMessage = 63;

// Reading: what the form shows for the stored replies.
BRate rateFromS67(int s67);
BasicSettings readBasic(const StoredReplies &r);
DataSettings readData(const StoredReplies &r, bool euroIsdn);
VoiceSettings readVoice(const StoredReplies &r);
AdvVoiceSettings readAdvVoice(const StoredReplies &r);

// Writing: "AT" + the fragments of the changed settings + "\r" ("AT\r" when none).
QString composeBasic(const BasicSettings &current, const BasicSettings &read);
// withDataPage: the data page was filled; otherwise only the voice mail setting counts.
QString composeData(const DataSettings &current, const DataSettings &read, bool euroIsdn,
                    bool withDataPage);
QString composeVoice(const VoiceSettings &current, const VoiceSettings &read);
QString composeAdvVoice(const AdvVoiceSettings &current, const AdvVoiceSettings &read);

QString outgoingFragment(int index);
QString rateFragment(int rate);

// Reset templates by Combo_Reset index; -1 for "Select a Factory Defined Template".
int resetTemplateNumber(int index);

// The line set-up of the SPID wizard: "at*Z" + area + "," + number 1
// [+ "," + number 2] + "\r"; an empty number 2 is left out.
QString spidCommand(const QString &areaCode, const QString &number1, const QString &number2);

// Profiles by ListBox_Profiles index; "" for "Maintain Current Settings".
QString profileFragment(int index);

} // namespace quillon
