#pragma once
// The five emulated models: identity texts, defaults, the country list.

#include <string>
#include <vector>

namespace sim {

enum class Product { IsdnTa, IsdnTaPro, Modem56k, Modem56kI, Idsl };

struct ProductInfo {
    Product product;
    const char *option;          // --product value
    const char *name;            // first words of the identity answer
    const char *productId;       // eight characters, code in characters 3 to 6
    const char *code;
    const char *defaultSerial;
    const char *defaultFirmwareDate;   // MM/DD/YY
    bool isdnFamily;             // ISDN TA command set (switch settings, phone ports, ...)
    bool countryChangeable;
    int defaultSwitch;
};

const ProductInfo &productInfo(Product p);
bool productFromOption(const std::string &option, Product &out);
std::vector<std::string> productOptions();

// Countries the ISDN TA and the international modem can be set to, index = number.
const std::vector<std::string> &countries();

// Identity answer body (without the leading blank line and the result code).
struct Identity {
    std::string countryName;
    std::string serial;
    std::string firmwareDate;
};
std::string identityText(Product p, const Identity &id);

// "ati7" answer with its first lines lost: everything up to and including the
// line with the maker's name is gone.
std::string loseIdentityHead(const std::string &text);

} // namespace sim
