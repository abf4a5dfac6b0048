// The characters that stand for the magnetic codeline's symbols, everywhere:
// in codelines the unit reads, in the set-up file, in the decodes and in logs.
// An unreadable character is always '!'.
#pragma once

namespace micr {

constexpr char Reject = '!';

// E13B: the ten digits and four symbols.
constexpr char E13bTransit = 'T'; // routing number delimiter
constexpr char E13bOnUs = 'U';
constexpr char E13bAmount = '$';
constexpr char E13bDash = '-';

// CMC7: the ten digits and five symbols S1 to S5.
constexpr char Cmc7S1 = 'A'; // internal
constexpr char Cmc7S2 = 'B'; // terminator
constexpr char Cmc7S3 = 'C'; // amount
constexpr char Cmc7S4 = 'D'; // routing
constexpr char Cmc7S5 = 'E'; // unused

} // namespace micr
