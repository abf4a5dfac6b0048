// The badge reader: tracks joined by 't' in the order asked, and a read that
// waits for a swipe without holding up the rest of the unit.
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "UnitTestHelpers.h"

namespace {

const BadgeTracks Swiped{"%B4000123456789^DOE/JANE^2612?", ";4000123456789=2612?", ";0123456789=12?"};

int32_t ReadBadge(OpenUnit& unit, uint8_t tracks, std::string* data = nullptr, uint16_t size = 260)
{
    char buffer[260] = {};
    uint16_t length = size;
    const int32_t r = unit.Api().Varn_ReadBadge(unit.Handle, nullptr, tracks, size, buffer, &length);
    if (data)
        *data = std::string(buffer, r == 0 || r == -10 ? length : 0);
    return r;
}

// Spins (without sleeping) until a read on another thread waits for a swipe.
void UntilAReadWaits(OpenUnit& unit)
{
    while (!unit.Control().State().BadgeReadWaiting)
        std::this_thread::yield();
}

TEST(VirtualUnitBadge, TracksAskedForAreJoinedInOrderBySeparators)
{
    struct Case {
        uint8_t Tracks;
        int32_t Reply;
        std::string Data;
    };
    const Case cases[] = {
        {32, 0, Swiped.Track1},
        {64, 0, Swiped.Track2},
        {128, 0, Swiped.Track3},
        {96, 0, Swiped.Track1 + "t" + Swiped.Track2},
        {192, 0, Swiped.Track2 + "t" + Swiped.Track3},
        {224, 0, Swiped.Track1 + "t" + Swiped.Track2 + "t" + Swiped.Track3},
        {160, -9, ""}, // tracks 1 and 3 without 2
        {0, -9, ""},
        {16, -9, ""},
    };
    for (const Case& c : cases) {
        OpenUnit unit;
        unit.Control().SwipeBadge(Swiped);
        std::string data;
        EXPECT_EQ(ReadBadge(unit, c.Tracks, &data), c.Reply) << int(c.Tracks);
        EXPECT_EQ(data, c.Data) << int(c.Tracks);
    }
}

TEST(VirtualUnitBadge, EmptyTracksKeepTheirSeparators)
{
    OpenUnit unit;
    unit.Control().SwipeBadge(BadgeTracks{"", ";42?", ""});
    std::string data;
    ASSERT_EQ(ReadBadge(unit, 224, &data), 0);
    EXPECT_EQ(data, "t;42?t");
}

TEST(VirtualUnitBadge, ASwipeIsReadOnceAndWithoutOneTheReadTimesOut)
{
    VirtualUnitSetup setup = TestUnitSetup();
    setup.Badge = Swiped; // swiped before the first read, as the set-up file can say
    OpenUnit unit(setup);
    std::string data;
    EXPECT_EQ(ReadBadge(unit, 64, &data), 0);
    EXPECT_EQ(data, Swiped.Track2);
    EXPECT_FALSE(unit.Control().State().Badge);
    EXPECT_EQ(ReadBadge(unit, 64), -8) << "no swipe: with a time scale of 0 the read gives up at once";
}

TEST(VirtualUnitBadge, ReadersAndBuffers)
{
    VirtualUnitSetup twoTracks = TestUnitSetup();
    twoTracks.Features = {0x2B, 0x07, 0, 0}; // tracks 1 and 2 only
    OpenUnit small(twoTracks);
    small.Control().SwipeBadge(Swiped);
    EXPECT_EQ(ReadBadge(small, 128), 19);
    EXPECT_EQ(ReadBadge(small, 96), 0);

    VirtualUnitSetup none = TestUnitSetup();
    none.Features = {0x2B, 0x03, 0, 0};
    OpenUnit without(none);
    EXPECT_EQ(ReadBadge(without, 64), 19);

    OpenUnit unit;
    unit.Control().SwipeBadge(Swiped);
    std::string data;
    EXPECT_EQ(ReadBadge(unit, 32, &data, 9), -10) << "the data did not fit";
    EXPECT_EQ(data, Swiped.Track1.substr(0, 8));
    uint16_t length = 260;
    EXPECT_EQ(unit.Api().Varn_ReadBadge(unit.Handle, nullptr, 32, 260, nullptr, &length), -9);
}

TEST(VirtualUnitBadge, AWaitingReadGetsTheSwipe)
{
    VirtualUnitSetup setup = TestUnitSetup();
    setup.TimeScale = 1.0;
    setup.BadgeWaitSeconds = 1.0e9; // the read would wait for days
    OpenUnit unit(setup);
    int32_t reply = -1;
    std::string data;
    std::thread reader([&] { reply = ReadBadge(unit, 96, &data); });
    UntilAReadWaits(unit);
    // The unit answers other commands while the read waits.
    EXPECT_EQ(unit.SenseKey(), 0);
    unit.Control().SwipeBadge(Swiped);
    reader.join();
    EXPECT_EQ(reply, 0);
    EXPECT_EQ(data, Swiped.Track1 + "t" + Swiped.Track2);
    EXPECT_FALSE(unit.Control().State().BadgeReadWaiting);
}

TEST(VirtualUnitBadge, AResetOrACloseFromAnotherThreadEndsAWaitingRead)
{
    struct Case {
        bool Close;
        int32_t Reply;
    };
    for (const Case c : {Case{false, -11}, Case{true, -3}}) {
        VirtualUnitSetup setup = TestUnitSetup();
        setup.TimeScale = 0.001;        // a reset is over in less than a millisecond,
        setup.BadgeWaitSeconds = 1.0e9; // a read would wait for days
        OpenUnit unit(setup);
        int32_t reply = 0;
        std::thread reader([&] { reply = ReadBadge(unit, 224); });
        UntilAReadWaits(unit);
        if (c.Close)
            EXPECT_EQ(unit.Api().VnDisconnect(unit.Handle, nullptr), 0);
        else
            EXPECT_EQ(unit.Api().Varn_Reset(unit.Handle, nullptr, '0'), 0);
        reader.join();
        EXPECT_EQ(reply, c.Reply) << (c.Close ? "close" : "reset");
    }
}

} // namespace
