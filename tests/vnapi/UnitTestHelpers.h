// Small helpers shared by the virtual unit's tests.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "unit/UnitPhysics.h"
#include "vnapi/VirtualUnitTestApi.h"
#include "vnapi/VnApi.h"

// A fresh folder under the system's temporary folder, removed afterwards.
class TemporaryFolder {
public:
    TemporaryFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "varnunit-XXXXXX").string();
        if (mkdtemp(pattern.data()))
            Path = pattern + "/";
    }
    ~TemporaryFolder()
    {
        if (!Path.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(Path, ignored);
        }
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    // Ends with '/'.
    const std::string& Folder() const { return Path; }

private:
    std::string Path;
};

// A unit opened over USB, with its control.
struct OpenUnit {
    VirtualUnitSetup Setup;
    VirtualUnitPair Pair;
    uint16_t Handle = 0;

    explicit OpenUnit(const VirtualUnitSetup& setup = TestUnitSetup()) : Setup(setup), Pair(CreateVirtualUnit(setup))
    {
        EXPECT_EQ(Pair.Api->Varn_Open(nullptr, nullptr, VnConnectionUsb, &Handle), 0);
    }
    VnApi& Api() { return *Pair.Api; }
    VirtualUnitControl& Control() { return Pair.Control; }

    // Varn_DocHandle as the bench calls it: feed (destination 0 holds the
    // document) or release.
    int32_t Feed(uint16_t destination = 1, char wait = 'G')
    {
        return Api().Varn_DocHandle(Handle, nullptr, 0, 0, 1, 'N', 5, 0, destination, wait, 0, nullptr, 0, 0);
    }
    int32_t Release(uint16_t destination = 5)
    {
        return Api().Varn_DocHandle(Handle, nullptr, 0, 0, 0, 'N', 5, 1, destination, 'W', 0, nullptr, 0, 0);
    }
    // Varn_DocHandle with what a document run asks of the document.
    int32_t FeedFor(uint16_t codelineRequest, char side, uint16_t scanMode, uint16_t printMode = 0,
                    uint16_t frontStamp = 0, uint16_t destination = 1)
    {
        return Api().Varn_DocHandle(Handle, nullptr, frontStamp, printMode, codelineRequest, side, scanMode, 0,
                                    destination, 'G', 0, nullptr, 0, 0);
    }
    // The last document's codeline; the reply in *reply when asked.
    std::string Codeline(int32_t* reply = nullptr)
    {
        char text[256] = {};
        uint16_t length = sizeof text;
        const int32_t r =
            Api().Varn_ReadCodeline(Handle, nullptr, text, &length, nullptr, nullptr, nullptr, nullptr);
        if (reply)
            *reply = r;
        return std::string(text, length);
    }
    // Trimmer, time sample and image calibration where this unit's head and
    // scanner read right.
    void Calibrate()
    {
        const virtualunit::UnitPhysics right = virtualunit::PhysicsFor(Setup.Generation, Setup.Seed);
        uint16_t imageValue = right.RightImageCalibration;
        EXPECT_EQ(Api().Varn_SetTrimmerMICR(Handle, nullptr, 0, right.RightTrimmer), 0);
        EXPECT_EQ(Api().Varn_SetTimeSampleMICR(Handle, nullptr, 0, right.RightTimeSample), 0);
        EXPECT_EQ(Api().Varn_ImageCalibration(Handle, nullptr, 1, &imageValue), 0);
    }
    uint8_t SenseKey()
    {
        uint8_t sense = 0xEE;
        uint8_t sensors[2] = {};
        EXPECT_EQ(Api().Varn_PeripheralStatus(Handle, nullptr, &sense, sensors), 0);
        return sense;
    }
    uint8_t Sensors()
    {
        uint8_t sense = 0;
        uint8_t sensors[2] = {0xEE, 0xEE};
        EXPECT_EQ(Api().Varn_PeripheralStatus(Handle, nullptr, &sense, sensors), 0);
        return sensors[0];
    }
};
