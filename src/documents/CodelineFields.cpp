#include "documents/CodelineFields.h"

#include <algorithm>

namespace bench {

namespace {

std::string WithoutBlanks(const std::string& text)
{
    std::string out;
    for (const char c : text)
        if (c != ' ')
            out += c;
    return out;
}

RoutingCheck JudgeRouting(const std::string& routing)
{
    if (routing.find('!') != std::string::npos)
        return RoutingCheck::Unreadable;
    if (routing.size() != 9 || !std::all_of(routing.begin(), routing.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return RoutingCheck::Unchecked;
    static constexpr int Weights[9] = {3, 7, 1, 3, 7, 1, 3, 7, 1};
    int sum = 0;
    for (size_t i = 0; i < 9; ++i)
        sum += Weights[i] * (routing[i] - '0');
    return sum % 10 == 0 ? RoutingCheck::Valid : RoutingCheck::Invalid;
}

} // namespace

const char* RoutingCheckName(RoutingCheck check)
{
    switch (check) {
    case RoutingCheck::Valid: return "valid";
    case RoutingCheck::Invalid: return "invalid";
    case RoutingCheck::Unchecked: return "unchecked";
    case RoutingCheck::Unreadable: return "unreadable";
    case RoutingCheck::Missing: return "missing";
    }
    return "missing";
}

E13bFields ParseE13bCodeline(const std::string& codeline)
{
    const std::string line = WithoutBlanks(codeline);
    E13bFields f;
    const size_t transit = line.find('T');
    const size_t transitEnd = transit == std::string::npos ? std::string::npos : line.find('T', transit + 1);
    // A business cheque carries its serial in an on-us field before the routing.
    const std::string before = line.substr(0, transit == std::string::npos ? 0 : transit);
    const size_t auxStart = before.find('U');
    if (auxStart != std::string::npos) {
        const size_t auxEnd = before.find('U', auxStart + 1);
        f.AuxiliaryOnUs = before.substr(auxStart + 1, auxEnd == std::string::npos ? std::string::npos
                                                                                 : auxEnd - auxStart - 1);
    }
    size_t onUsStart = 0;
    if (transitEnd != std::string::npos) {
        f.Routing = line.substr(transit + 1, transitEnd - transit - 1);
        f.Check = JudgeRouting(f.Routing);
        onUsStart = transitEnd + 1;
    } else {
        f.Check = RoutingCheck::Missing;
        onUsStart = line.size();
    }
    const size_t amount = line.find('$', onUsStart);
    if (amount != std::string::npos) {
        const size_t amountEnd = line.find('$', amount + 1);
        f.Amount = line.substr(amount + 1, amountEnd == std::string::npos ? std::string::npos : amountEnd - amount - 1);
    }
    const std::string onUs = line.substr(onUsStart, amount == std::string::npos ? std::string::npos : amount - onUsStart);
    const size_t mark = onUs.find('U');
    f.Account = onUs.substr(0, mark);
    if (mark != std::string::npos) {
        std::string serial = onUs.substr(mark + 1);
        serial.erase(std::remove(serial.begin(), serial.end(), 'U'), serial.end());
        f.Serial = serial;
    }
    if (f.Serial.empty())
        f.Serial = f.AuxiliaryOnUs;
    return f;
}

std::vector<Cmc7Field> ParseCmc7Codeline(const std::string& codeline)
{
    std::vector<Cmc7Field> fields;
    std::string text;
    for (const char c : codeline) {
        if (c >= 'A' && c <= 'E') {
            fields.push_back({std::string("S") + static_cast<char>('1' + (c - 'A')), text});
            text.clear();
        } else if (c != ' ') {
            text += c;
        }
    }
    if (!text.empty())
        fields.push_back({"", text});
    return fields;
}

} // namespace bench
