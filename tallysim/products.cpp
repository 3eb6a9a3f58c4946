#include "products.h"

#include <cstdio>

namespace sim {

namespace {

const ProductInfo kProducts[] = {
    {Product::IsdnTa, "isdnta", "Varnel Brenmoor ISDN TA", "00524001", "5240", "QB0412001", "04/12/99", true, true, 2},
    {Product::IsdnTaPro, "isdnta-pro", "Varnel Brenmoor ISDN TA", "00524100", "5241", "QP0520002", "05/20/99", true, true, 2},
    {Product::Modem56k, "56k", "Varnel Tallyline 56K Business Modem", "00517200", "5172", "TL0310003", "03/10/99", false, false, 0},
    {Product::Modem56kI, "56k-i", "Varnel Tallyline 56K Business Modem", "00517300", "5173", "TI0615004", "06/15/99", false, true, 0},
    {Product::Idsl, "idsl", "Varnel Lumora IDSL Modem", "00523700", "5237", "LM0901005", "09/01/99", true, false, 7},
};

// One label and its value per line; the labels are padded to one column.
void field(std::string &out, const char *label, const std::string &value)
{
    char buf[160];
    std::snprintf(buf, sizeof buf, "%-18s%s\r\n", label, value.c_str());
    out += buf;
}

} // namespace

const ProductInfo &productInfo(Product p)
{
    for (const auto &info : kProducts)
        if (info.product == p)
            return info;
    return kProducts[0];
}

bool productFromOption(const std::string &option, Product &out)
{
    for (const auto &info : kProducts)
        if (option == info.option) {
            out = info.product;
            return true;
        }
    return false;
}

std::vector<std::string> productOptions()
{
    std::vector<std::string> out;
    for (const auto &info : kProducts)
        out.emplace_back(info.option);
    return out;
}

const std::vector<std::string> &countries()
{
    // At most two words per name, and the list ends with a two-word name, so
    // that a reader splitting at blanks pairs every word correctly.
    static const std::vector<std::string> list = {
        "US/Canada", "Germany", "France", "United Kingdom", "Netherlands", "Belgium",
        "Switzerland", "Austria", "Italy", "Spain", "Sweden", "New Zealand",
    };
    return list;
}

std::string identityText(Product p, const Identity &id)
{
    const ProductInfo &info = productInfo(p);
    std::string out = std::string(info.name) + " Hardware Profile\r\n";
    field(out, "Product type", id.countryName + " External");
    field(out, "Product ID", info.productId);
    if (info.isdnFamily) {
        field(out, "Clock Freq", p == Product::Idsl ? "20.48 MHz" : "16.384 MHz");
        field(out, "Eprom", "512K");
        field(out, "Ram", p == Product::IsdnTaPro ? "1024K" : "512K");
        field(out, "Code date", id.firmwareDate);
        field(out, "Code rev", p == Product::Idsl ? "1.04" : "3.02");
    } else {
        field(out, "Options", "V.90 K56flex V.42bis V.80");
        field(out, "Clock Freq", "40.32 MHz");
        field(out, "Flash ROM", "1024K");
        field(out, "Supervisor date", id.firmwareDate);
        field(out, "DSP date", "02/18/99");
        field(out, "Supervisor rev", "2.10");
        field(out, "DSP rev", "1.07");
        field(out, "DAA rev", "A3");
    }
    field(out, "Serial Number", id.serial);
    return out;
}

std::string loseIdentityHead(const std::string &text)
{
    size_t pos = text.find("Varnel");
    if (pos == std::string::npos)
        return text;
    size_t eol = text.find("\r\n", pos);
    return eol == std::string::npos ? std::string() : text.substr(eol + 2);
}

} // namespace sim
