// A read codeline taken apart into the fields a bank's systems use, as
// point-of-sale MICR readers report them.
#pragma once

#include <string>
#include <vector>

namespace bench {

// The routing number's check digit, when one can be judged.
enum class RoutingCheck {
    Valid,       // nine digits whose weighted sum (3 7 1 ...) is a multiple of 10
    Invalid,     // nine digits that fail it
    Unchecked,   // not nine digits (a Canadian transit "12345-678", a short field)
    Unreadable,  // a rejected character ('!') in the field
    Missing,     // no transit symbols
};
const char* RoutingCheckName(RoutingCheck check);

// E13B, in the codeline's letters: 'T' transit, 'U' on-us, '$' amount, '-' dash.
struct E13bFields {
    std::string AuxiliaryOnUs; // between two on-us symbols before the routing field
    std::string Routing;       // between the two transit symbols, dashes kept
    RoutingCheck Check = RoutingCheck::Missing;
    std::string Account;       // the on-us field up to its on-us symbol
    std::string Serial;        // after that symbol, or the auxiliary on-us field
    std::string Amount;        // between the two amount symbols
};
E13bFields ParseE13bCodeline(const std::string& codeline);

// CMC7: each field is the text before a symbol, named by that symbol ("S1" to
// "S5" for the letters 'A' to 'E'); text after the last symbol gets "".
struct Cmc7Field {
    std::string Symbol;
    std::string Text;
};
std::vector<Cmc7Field> ParseCmc7Codeline(const std::string& codeline);

} // namespace bench
