// The factories of the virtual unit and its test control.
#include <mutex>

#include "box/BoxClientApi.h"
#include "unit/UnitSetupFile.h"
#include "unit/VirtualUnit.h"
#include "unit/VirtualUnitApi.h"
#include "vnapi/VirtualUnit.h"
#include "vnapi/VirtualUnitTestApi.h"

using virtualunit::SharedUnit;

// Out of line: the header only names DocumentSpec.
VirtualUnitSetup::VirtualUnitSetup() = default;
VirtualUnitSetup::VirtualUnitSetup(const VirtualUnitSetup&) = default;
VirtualUnitSetup::VirtualUnitSetup(VirtualUnitSetup&&) noexcept = default;
VirtualUnitSetup& VirtualUnitSetup::operator=(const VirtualUnitSetup&) = default;
VirtualUnitSetup& VirtualUnitSetup::operator=(VirtualUnitSetup&&) noexcept = default;
VirtualUnitSetup::~VirtualUnitSetup() = default;

VirtualUnitSetup TestUnitSetup(uint32_t seed)
{
    VirtualUnitSetup setup;
    setup.Seed = seed;
    setup.TimeScale = 0.0;
    return setup;
}

namespace {

VirtualUnitPair MakePair(const VirtualUnitSetup& setup, std::string memoryPath)
{
    auto shared = std::make_shared<SharedUnit>(setup, std::move(memoryPath));
    VirtualUnitPair pair;
    // Connection type 39 leaves for a network box; 40 reaches this unit.
    pair.Api = std::make_unique<box::BoxClientApi>(std::make_unique<virtualunit::VirtualUnitApi>(shared),
                                                   setup.TimeScale);
    pair.Control = VirtualUnitControl(shared);
    return pair;
}

} // namespace

VirtualUnitPair CreateVirtualUnit(const VirtualUnitSetup& setup) { return MakePair(setup, setup.MemoryFile); }

VirtualUnitPair CreateVirtualUnitInFolder(const std::string& programFolder)
{
    const VirtualUnitSetup setup = virtualunit::ReadSetupFile(programFolder + VirtualUnitSetupFileName);
    return MakePair(setup, programFolder + VirtualUnitMemoryFileName);
}

std::unique_ptr<VnApi> CreateVirtualUnitApi(const std::string& programFolder)
{
    return CreateVirtualUnitInFolder(programFolder).Api;
}

VirtualUnitControl ControlOf(VnApi& api)
{
    VnApi* local = &api;
    if (auto* box = dynamic_cast<box::BoxClientApi*>(local))
        local = &box->LocalApi();
    if (auto* unit = dynamic_cast<virtualunit::VirtualUnitApi*>(local))
        return VirtualUnitControl(unit->Unit());
    return {};
}

// ---- Control ---------------------------------------------------------------

void VirtualUnitControl::LoadDocuments(std::vector<DocumentSpec> documents)
{
    std::lock_guard lock(Unit->Mutex);
    Unit->Unit.LoadDocuments(std::move(documents));
}

void VirtualUnitControl::LoadCheques(uint32_t count)
{
    std::lock_guard lock(Unit->Mutex);
    Unit->Unit.LoadCheques(count);
}

bool VirtualUnitControl::LoadDocumentsFromText(const std::string& lines)
{
    std::vector<DocumentSpec> documents;
    const bool understood = virtualunit::ParseFeederText(lines, documents);
    LoadDocuments(std::move(documents));
    return understood;
}

void VirtualUnitControl::EmptyFeeder()
{
    std::lock_guard lock(Unit->Mutex);
    Unit->Unit.EmptyFeeder();
}

bool VirtualUnitControl::RemoveDocument(size_t index)
{
    std::lock_guard lock(Unit->Mutex);
    return Unit->Unit.RemoveDocument(index);
}

std::vector<DocumentSpec> VirtualUnitControl::FeederContents() const
{
    std::lock_guard lock(Unit->Mutex);
    return Unit->Unit.FeederContents();
}

bool VirtualUnitControl::ArmOperationFault(const std::string& operation, int32_t reply)
{
    std::lock_guard lock(Unit->Mutex);
    return Unit->Unit.ArmOperationFault(operation, reply);
}

void VirtualUnitControl::ArmDocumentFault(uint32_t ordinal, DocumentFaultKind kind, int32_t reply)
{
    std::lock_guard lock(Unit->Mutex);
    Unit->Unit.ArmDocumentFault(ordinal, kind, reply);
}

void VirtualUnitControl::SwipeBadge(BadgeTracks tracks)
{
    {
        std::lock_guard lock(Unit->Mutex);
        Unit->Unit.SwipeBadge(std::move(tracks));
    }
    Unit->Changed.notify_all();
}

void VirtualUnitControl::SetMagnetisedBelt(bool magnetised)
{
    std::lock_guard lock(Unit->Mutex);
    Unit->Unit.SetMagnetisedBelt(magnetised);
}

void VirtualUnitControl::ArmEmcFault(uint32_t cycles)
{
    std::lock_guard lock(Unit->Mutex);
    Unit->Unit.ArmEmcFault(cycles);
}

void VirtualUnitControl::SetCondition(const UnitCondition& condition)
{
    std::lock_guard lock(Unit->Mutex);
    Unit->Unit.SetCondition(condition);
}

bool VirtualUnitControl::ResetKeptValues()
{
    std::lock_guard lock(Unit->Mutex);
    return Unit->Unit.ResetKeptValues();
}

void VirtualUnitControl::PowerCycle()
{
    {
        std::lock_guard lock(Unit->Mutex);
        Unit->Unit.PowerCycle();
    }
    Unit->Changed.notify_all();
}

VirtualUnitState VirtualUnitControl::State() const
{
    std::lock_guard lock(Unit->Mutex);
    return Unit->Unit.State();
}
