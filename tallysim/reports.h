#pragma once
// Text reports of the ISDN TA family, as the device prints them (bodies only:
// the caller adds the leading blank line and the result code). Every setting
// appears as "KEYWORD =value " with a blank after the value, one per line,
// in table order, so that the first occurrence of each keyword is its own.

#include "settings.h"

#include <string>

namespace sim {

std::string switchName(int switchType);

std::string switchSettingsReport(const ValueMap &v, const std::string &deviceStatus);  // ati12
std::string phonePortReport(const ValueMap &v);                                       // ati15
std::string dataProtocolReport(const ValueMap &v);                                    // ati16
std::string taSettingsReport(const ValueMap &v, const std::string &date, const std::string &time); // ati4
std::string callForwardingReport(const ValueMap &v);                                  // ati20
std::string callScreeningReport(const ValueMap &v);                                   // ati19
std::string incomingCallLog();                                                        // ati18
std::string outgoingCallLog();                                                        // ati17
std::string countryList();                                                            // at~c?
std::string modemRegisterReport(const ValueMap &v);                                   // ati4, 56K modem

// "3,12" -> {3, 12}; entries outside 1..20 are dropped.
std::vector<int> entryList(const std::string &text);
std::string entryListText(const std::vector<int> &entries);

} // namespace sim
