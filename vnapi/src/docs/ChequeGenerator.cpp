#include "docs/ChequeGenerator.h"

#include <array>
#include <cctype>
#include <cstdio>

#include "docs/Random.h"
#include "vnapi/MicrSymbols.h"

namespace {

constexpr std::array<const char*, 16> Payees = {
    "Margaret Holloway", "Rivera Plumbing LLC", "Oakridge Dental Group", "Thomas J. Whitfield",
    "County Water Utility", "Elena Kowalski", "Brightside Grocers", "Samuel Okafor",
    "Harbor Light Realty", "Priya Raman", "Gateway Auto Repair", "Daniel Brennan",
    "St. Jude Parish Fund", "Lakeview Apartments", "Hiroshi Tanaka", "Greenfield Nursery",
};

std::string Digits(DocRandom& rnd, int count)
{
    std::string s;
    for (int i = 0; i < count; ++i)
        s += static_cast<char>('0' + rnd.Int(0, 9));
    return s;
}

std::string PadNumber(int64_t value, int width)
{
    std::string s = std::to_string(value);
    if (static_cast<int>(s.size()) < width)
        s.insert(0, static_cast<size_t>(width - static_cast<int>(s.size())), '0');
    return s;
}

// A routing number of a Federal Reserve district (01-12) or thrift (21-32).
std::string MakeRouting(DocRandom& rnd)
{
    int district = rnd.Int(1, 12);
    if (rnd.Int(0, 3) == 0)
        district += 20;
    const std::string eight = PadNumber(district, 2) + Digits(rnd, 6);
    return eight + static_cast<char>('0' + RoutingCheckDigit(eight));
}

// French-style RIB key over a numeric text: 97 - (n * 100 mod 97).
std::string Mod97Key(const std::string& digits)
{
    int rest = 0;
    for (char c : digits)
        rest = (rest * 10 + (c - '0')) % 97;
    rest = (rest * 100) % 97;
    return PadNumber(97 - rest, 2);
}

const char* const Ones[] = {"",        "one",     "two",       "three",    "four",    "five",    "six",
                            "seven",   "eight",   "nine",      "ten",      "eleven",  "twelve",  "thirteen",
                            "fourteen", "fifteen", "sixteen",  "seventeen", "eighteen", "nineteen"};
const char* const Tens[] = {"", "", "twenty", "thirty", "forty", "fifty", "sixty", "seventy", "eighty", "ninety"};

std::string BelowThousand(int n)
{
    std::string s;
    if (n >= 100) {
        s = std::string(Ones[n / 100]) + " hundred";
        n %= 100;
        if (n)
            s += ' ';
    }
    if (n >= 20) {
        s += Tens[n / 10];
        if (n % 10)
            s += std::string("-") + Ones[n % 10];
    } else if (n > 0) {
        s += Ones[n];
    }
    return s;
}

} // namespace

int RoutingCheckDigit(const std::string& eightDigits)
{
    if (eightDigits.size() != 8)
        return -1;
    static constexpr int Weights[8] = {3, 7, 1, 3, 7, 1, 3, 7};
    int sum = 0;
    for (size_t i = 0; i < 8; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(eightDigits[i])))
            return -1;
        sum += Weights[i] * (eightDigits[i] - '0');
    }
    return (10 - sum % 10) % 10;
}

bool IsValidRoutingNumber(const std::string& nineDigits)
{
    if (nineDigits.size() != 9)
        return false;
    const int check = RoutingCheckDigit(nineDigits.substr(0, 8));
    return check >= 0 && nineDigits[8] == '0' + check;
}

std::string CodelineRoutingNumber(const std::string& codeline)
{
    const size_t first = codeline.find(micr::E13bTransit);
    if (first == std::string::npos)
        return {};
    const size_t second = codeline.find(micr::E13bTransit, first + 1);
    if (second == std::string::npos)
        return {};
    return codeline.substr(first + 1, second - first - 1);
}

std::string AmountInWords(int64_t cents)
{
    if (cents < 0)
        cents = -cents;
    const int64_t whole = cents / 100;
    std::string words;
    if (whole == 0) {
        words = "zero";
    } else {
        const int64_t millions = whole / 1000000;
        const int thousands = static_cast<int>((whole / 1000) % 1000);
        const int rest = static_cast<int>(whole % 1000);
        if (millions)
            words += BelowThousand(static_cast<int>(millions % 1000)) + " million";
        if (thousands)
            words += (words.empty() ? "" : " ") + BelowThousand(thousands) + " thousand";
        if (rest)
            words += (words.empty() ? "" : " ") + BelowThousand(rest);
    }
    words[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(words[0])));
    return words + " and " + PadNumber(cents % 100, 2) + "/100";
}

std::string FormatAmount(int64_t cents)
{
    std::string whole = std::to_string(cents / 100);
    for (int i = static_cast<int>(whole.size()) - 3; i > 0; i -= 3)
        whole.insert(static_cast<size_t>(i), ",");
    return whole + "." + PadNumber(cents % 100, 2);
}

DocumentSpec MakeCheque(uint32_t seed, uint32_t index, const ChequeLayout& layout)
{
    DocRandom rnd(DocRandom::Mix(seed, index, 1));
    DocumentSpec doc;
    doc.Kind = DocumentKind::Cheque;
    doc.Seed = static_cast<uint32_t>(DocRandom::Mix(seed, index, 2));
    // Personal and business cheques differ a little in size.
    doc.LengthMm = static_cast<float>(rnd.Int(160, 178));
    doc.HeightMm = static_cast<float>(rnd.Int(70, 80));
    doc.Payee = Payees[static_cast<size_t>(rnd.Int(0, static_cast<int>(Payees.size()) - 1))];
    const int64_t cents = rnd.Int(100, 999999) + (rnd.Int(0, 3) == 0 ? 1000000 : 0);
    doc.Amount = FormatAmount(cents);
    const int chequeNumber = rnd.Int(1001, 9999);

    doc.Micr = layout.Micr;
    if (layout.Micr == MicrFont::CMC7) {
        // Cheque number, interbank zone, account zone with its key.
        const std::string zone = Digits(rnd, 12);
        const std::string account = Digits(rnd, 10);
        doc.Codeline = PadNumber(chequeNumber, 7) + micr::Cmc7S1 + zone + micr::Cmc7S4 + account +
                       Mod97Key(account) + micr::Cmc7S2;
    } else {
        const std::string routing = MakeRouting(rnd);
        std::string account = Digits(rnd, rnd.Int(8, 11));
        if (rnd.Int(0, 4) == 0)
            account.insert(static_cast<size_t>(rnd.Int(3, 5)), 1, micr::E13bDash);
        doc.Codeline = std::string(1, micr::E13bTransit) + routing + micr::E13bTransit + ' ' + account +
                       micr::E13bOnUs + ' ' + std::to_string(chequeNumber);
        if (layout.AmountEncoded)
            doc.Codeline += std::string(" ") + micr::E13bAmount + PadNumber(cents, 10) + micr::E13bAmount;
    }

    doc.Ocr = layout.Ocr;
    if (layout.Ocr != OcrFont::None)
        doc.OcrText = PadNumber(chequeNumber, 4) + " " + Digits(rnd, 9) + " " + Digits(rnd, 10) + " " +
                      PadNumber(cents, 10);

    doc.Barcode = layout.Ocr == OcrFont::None ? layout.Barcode : BarcodeKind::None;
    switch (doc.Barcode) {
    case BarcodeKind::TwoOfFive: doc.BarcodeText = Digits(rnd, 2 * rnd.Int(3, 6)); break;
    case BarcodeKind::Code39: doc.BarcodeText = "CQ-" + PadNumber(chequeNumber, 5); break;
    case BarcodeKind::Code128: doc.BarcodeText = "PAY" + Digits(rnd, 7); break;
    case BarcodeKind::None: break;
    }
    if (layout.Pdf417)
        doc.Pdf417Text = "CHQ " + std::to_string(chequeNumber) + "|" + doc.Payee + "|" + doc.Amount + "|" +
                         Digits(rnd, 8);
    return doc;
}

DocumentSpec MakeCheque(uint32_t seed, uint32_t index, const ChequeOptions& options)
{
    DocRandom rnd(DocRandom::Mix(seed, index, 3));
    ChequeLayout layout;
    layout.Micr = rnd.Uniform() < options.Cmc7Share ? MicrFont::CMC7 : MicrFont::E13B;
    const double extra = rnd.Uniform();
    if (extra < options.OcrShare)
        layout.Ocr = rnd.Int(0, 1) ? OcrFont::OcrB : OcrFont::OcrA;
    else if (extra < options.OcrShare + options.BarcodeShare)
        layout.Barcode = static_cast<BarcodeKind>(rnd.Int(1, 3));
    layout.Pdf417 = rnd.Uniform() < options.Pdf417Share;
    layout.AmountEncoded = rnd.Uniform() < options.AmountEncodedShare;
    return MakeCheque(seed, index, layout);
}

std::vector<DocumentSpec> DefaultFeeder(uint32_t seed)
{
    std::vector<DocumentSpec> stack;
    for (uint32_t i = 0; i < 25; ++i) {
        ChequeLayout layout;
        layout.Micr = i % 6 == 5 ? MicrFont::CMC7 : MicrFont::E13B;
        if (i % 8 == 2)
            layout.Ocr = OcrFont::OcrB;
        else if (i % 8 == 6)
            layout.Ocr = OcrFont::OcrA;
        else if (i % 4 == 3)
            layout.Barcode = static_cast<BarcodeKind>(1 + (i / 4) % 3);
        layout.Pdf417 = i % 5 == 1;
        layout.AmountEncoded = i % 3 == 0;
        DocumentSpec doc = MakeCheque(seed, i, layout);
        if (i == 13)
            doc.SkewDegrees = 0.5f;
        else if (i == 20)
            doc.SkewDegrees = -0.4f;
        stack.push_back(std::move(doc));
    }
    return stack;
}

DocumentSpec MakeE13bCalibrationDocument(uint32_t seed)
{
    DocumentSpec doc;
    doc.Kind = DocumentKind::E13bCalibration;
    doc.LengthMm = 185.0f;
    doc.HeightMm = 80.0f;
    doc.Micr = MicrFont::E13B;
    doc.Seed = static_cast<uint32_t>(DocRandom::Mix(seed, 0xCA1, 2));
    return doc;
}

DocumentSpec MakeColourTestDocument()
{
    DocumentSpec doc;
    doc.Kind = DocumentKind::ColourTest;
    doc.LengthMm = 180.0f;
    doc.HeightMm = 90.0f;
    doc.Micr = MicrFont::None;
    return doc;
}

DocumentSpec MakeWhiteDocument()
{
    DocumentSpec doc;
    doc.Kind = DocumentKind::White;
    doc.Micr = MicrFont::None;
    return doc;
}

DocumentSpec MakeBlankDocument(float lengthMm)
{
    DocumentSpec doc;
    doc.Kind = DocumentKind::Blank;
    doc.LengthMm = lengthMm;
    doc.Micr = MicrFont::None;
    return doc;
}

DocumentSpec MakeCard(uint32_t seed)
{
    DocumentSpec doc;
    doc.Kind = DocumentKind::Card;
    doc.LengthMm = 85.6f;
    doc.HeightMm = 54.0f;
    doc.Micr = MicrFont::None;
    doc.Seed = static_cast<uint32_t>(DocRandom::Mix(seed, 0xCA4D, 2));
    doc.Payee = Payees[doc.Seed % Payees.size()];
    return doc;
}
