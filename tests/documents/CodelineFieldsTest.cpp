#include <gtest/gtest.h>

#include "documents/CodelineFields.h"

using namespace bench;

TEST(CodelineFields, E13bLinesOfPersonalBusinessAndForeignCheques)
{
    // Check digits worked out by hand: 0 2 1 0 0 0 0 2 1 weighs 0+14+1+0+0+0+0+14+1 = 30;
    // 1 2 1 0 0 0 3 5 8 weighs 3+14+1+0+0+0+9+35+8 = 70; ending in 2 instead of 1 gives 31.
    struct Case {
        const char* Line;
        const char* Aux;
        const char* Routing;
        RoutingCheck Check;
        const char* Account;
        const char* Serial;
        const char* Amount;
    };
    const Case cases[] = {
        {"T021000021T 1234567890U 1042 $0000012345$", "", "021000021", RoutingCheck::Valid, "1234567890", "1042",
         "0000012345"},
        {"U004521U T121000358T 98765-4321U", "004521", "121000358", RoutingCheck::Valid, "98765-4321", "004521", ""},
        {"T021000022T 55U 7", "", "021000022", RoutingCheck::Invalid, "55", "7", ""},
        {"U012345U T12345-678T 1234-567U", "012345", "12345-678", RoutingCheck::Unchecked, "1234-567", "012345", ""},
        {"T02100002T 9U 3", "", "02100002", RoutingCheck::Unchecked, "9", "3", ""},
        {"T0210!0021T 12U 1", "", "0210!0021", RoutingCheck::Unreadable, "12", "1", ""},
        {"1234U 55", "", "", RoutingCheck::Missing, "", "", ""},
        {"", "", "", RoutingCheck::Missing, "", "", ""},
    };
    for (const Case& c : cases) {
        const E13bFields f = ParseE13bCodeline(c.Line);
        EXPECT_EQ(f.AuxiliaryOnUs, c.Aux) << c.Line;
        EXPECT_EQ(f.Routing, c.Routing) << c.Line;
        EXPECT_EQ(f.Check, c.Check) << c.Line;
        EXPECT_EQ(f.Account, c.Account) << c.Line;
        EXPECT_EQ(f.Serial, c.Serial) << c.Line;
        EXPECT_EQ(f.Amount, c.Amount) << c.Line;
    }
    EXPECT_STREQ(RoutingCheckName(RoutingCheck::Invalid), "invalid");
}

TEST(CodelineFields, Cmc7FieldsAreNamedByTheSymbolAfterThem)
{
    const auto fields = ParseCmc7Codeline("0001234A123456789012D12345678901 2B");
    ASSERT_EQ(fields.size(), 3u);
    EXPECT_EQ(fields[0].Symbol, "S1");
    EXPECT_EQ(fields[0].Text, "0001234");
    EXPECT_EQ(fields[1].Symbol, "S4");
    EXPECT_EQ(fields[1].Text, "123456789012");
    EXPECT_EQ(fields[2].Symbol, "S2");
    EXPECT_EQ(fields[2].Text, "123456789012");
    const auto open = ParseCmc7Codeline("E12C34");
    ASSERT_EQ(open.size(), 3u);
    EXPECT_EQ(open[0].Symbol, "S5");
    EXPECT_EQ(open[0].Text, "");
    EXPECT_EQ(open[1].Symbol, "S3");
    EXPECT_EQ(open[2].Symbol, "");
    EXPECT_EQ(open[2].Text, "34");
}
