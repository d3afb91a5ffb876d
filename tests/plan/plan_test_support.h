// A fixture for the plan suites: clean process state, a connected host with
// an active part document, the host folder in a scratch directory, and the
// library in the host's list with a stand-in command entry.
#pragma once

#include <memory>
#include <string>

#include "geometry/contour_script.h"
#include "geometry/lsc_transform.h"
#include "model/revolution_part.h"
#include "plan/command_door.h"
#include "plan/plan.h"
#include "plan/spid.h"
#include "platform/core/host_folder.h"
#include "platform/documents/host_application.h"
#include "platform/drawings/local_coordinate_system.h"
#include "platform/processes/host_libraries.h"
#include "test_support.h"

namespace zarvento::test {

// The host runs the commands the plan posts through the library's command
// entry. The host binding's command table lies above the plan; its commands
// posted by the plan (75) run the action of the same number, as here.
inline void PlanCommandEntry(unsigned int command) { RunLibraryCommand(-1, static_cast<std::int32_t>(command), -1); }

class PlanTest : public CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        folder = std::make_unique<TempDir>();
        SetHostFolder(folder->Path());
        app = &ConnectHostApplication();
        part = app->Documents().Add(DocumentType::Part);
        HostLibraries::Instance().Add(HostLibraryEntry{LibraryTitle(), "", &PlanCommandEntry});
    }
    void TearDown() override {
        CleanStateTest::TearDown();
        folder.reset();
    }

    // The NC coordinate system of the part: the global axes at `origin`.
    void SetLSC(std::array<double, 3> origin = {0, 0, 0}) {
        auto lsc = part->AddLocalCoordinateSystem("ЛСК-1", origin, {1, 0, 0}, {0, 1, 0}, {0, 0, 1});
        LscTransform::Global().ReadFromHost(lsc);
    }

    // Adds the faces of a profile in the units' script form to the part.
    void AddProfile(const std::string& script) {
        std::string error;
        auto profile = ParseContourScript(script, &error);
        ASSERT_TRUE(profile) << error;
        SetPartFromProfile(part, *profile);
    }

    std::unique_ptr<TempDir> folder;
    HostApplication* app = nullptr;
    HostDocumentPtr part;
};

// Stores everything the plan's synchronisation reads back, as the plan
// commands do after a change of the plan: the coordinate system, the plan
// data, every operation and the plan.
inline void SaveWholePlan() {
    CSPID* spid = GetSPID();
    spid->Save_LSC_CNC();
    spid->Save_SPID();
    CPLAN* plan = GetPLAN();
    for (int i = 0; i < plan->GetTurnCount(); ++i) plan->GetTurn(i)->Save(i);
    plan->Save();
}

// A shaft of two steps, on the axis from z = 0 to z = length: the small step
// (radius `radius` / 2) from 0 to length / 2, then the full radius.
inline std::string SteppedShaft(double length, double radius) {
    const std::string L = std::to_string(length), R = std::to_string(radius), h = std::to_string(length / 2),
                      r = std::to_string(radius / 2);
    return "LineSeg( 0,0, 0,-" + r + ", 1 );\n" + "LineSeg( 0,-" + r + ", " + h + ",-" + r + ", 1 );\n" + "LineSeg( " +
           h + ",-" + r + ", " + h + ",-" + R + ", 1 );\n" + "LineSeg( " + h + ",-" + R + ", " + L + ",-" + R +
           ", 1 );\n" + "LineSeg( " + L + ",-" + R + ", " + L + ",0, 1 );\n";
}

}  // namespace zarvento::test
