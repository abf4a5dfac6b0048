#include "unit/ChequeGenerator.h"

#include <array>
#include <cstdio>

#include "unit/UnitRandom.h"
#include "vnapi/MicrSymbols.h"

namespace virtualunit {

int RoutingCheckDigit(const std::string& firstEight)
{
    static constexpr std::array<int, 8> Weights{3, 7, 1, 3, 7, 1, 3, 7};
    int sum = 0;
    for (size_t i = 0; i < Weights.size() && i < firstEight.size(); ++i)
        sum += Weights[i] * (firstEight[i] - '0');
    return (10 - sum % 10) % 10;
}

bool IsValidRoutingNumber(const std::string& routing)
{
    if (routing.size() != 9)
        return false;
    for (char c : routing)
        if (c < '0' || c > '9')
            return false;
    return RoutingCheckDigit(routing.substr(0, 8)) == routing[8] - '0';
}

namespace {

// Federal Reserve routing symbols: districts 01-12, thrift 21-32.
std::string RandomRoutingNumber(UnitRandom& random)
{
    int district = random.Between(1, 12);
    if (random.Below(4) == 0)
        district += 20;
    char text[16];
    std::snprintf(text, sizeof text, "%02d%06u", district, random.Below(1000000));
    std::string routing(text);
    routing += static_cast<char>('0' + RoutingCheckDigit(routing));
    return routing;
}

std::string Digits(UnitRandom& random, int count)
{
    std::string digits;
    for (int i = 0; i < count; ++i)
        digits += static_cast<char>('0' + random.Below(10));
    return digits;
}

constexpr std::array<const char*, 12> Payees{
    "Harriet Olsen",     "Marcus Whitfield", "Lena Kowalski",    "Tomas Reyes",
    "Grace Abernathy",   "Owen Castellano",  "Priya Raman",      "Samuel Okafor",
    "Ingrid Thorsen",    "Diego Marchetti",  "Ruth Lindqvist",   "Northside Hardware Co."};

} // namespace

DocumentSpec GenerateCheque(uint32_t unitSeed, uint32_t index)
{
    UnitRandom random(MixSeed(unitSeed, index, 1));
    DocumentSpec cheque;
    cheque.Kind = DocumentKind::Cheque;
    cheque.Micr = MicrFont::E13B;
    cheque.Seed = static_cast<uint32_t>(random.Next());

    // Personal cheques are 152 to 175 mm long; business ones up to 216.
    const bool business = random.Below(5) == 0;
    cheque.LengthMm = business ? 203.0f : 152.0f + static_cast<float>(random.Below(24));
    cheque.HeightMm = business ? 89.0f : 70.0f + static_cast<float>(random.Below(12));

    // Transit field, on-us field (account and cheque number), as printed on a
    // US personal cheque: T routing T account U number.
    const std::string routing = RandomRoutingNumber(random);
    const std::string account = Digits(random, random.Between(8, 11));
    char number[8];
    std::snprintf(number, sizeof number, "%04u", 1001 + (index + random.Below(400)) % 9000);
    cheque.Codeline = std::string(1, micr::E13bTransit) + routing + micr::E13bTransit + " " + account +
                      micr::E13bOnUs + " " + number;

    cheque.Payee = Payees[random.Below(Payees.size())];
    char amount[24];
    std::snprintf(amount, sizeof amount, "%u.%02u", 5 + random.Below(2400), random.Below(100));
    cheque.Amount = amount;
    return cheque;
}

} // namespace virtualunit
