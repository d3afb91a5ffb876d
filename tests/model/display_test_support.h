// A part document open in the host with its 3D view, for the display tests.
#pragma once

#include <cmath>
#include <memory>

#include "geometry/lsc_transform.h"
#include "model/tessellation_object.h"
#include "platform/documents/host_application.h"
#include "platform/drawings/host_drawable.h"
#include "platform/drawings/host_drawing_container.h"
#include "platform/view/scene_survey.h"
#include "test_support.h"

namespace zarvento::test {

class DisplayTest : public CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        part = ConnectHostApplication().Documents().Add(DocumentType::Part);
    }

    // Places the NC coordinate system (axes by rows of model directions).
    void UseLsc(std::array<double, 3> origin, std::array<double, 3> x = {1, 0, 0}, std::array<double, 3> y = {0, 1, 0},
                std::array<double, 3> z = {0, 0, 1}) {
        LscTransform::Global().ReadFromHost(part->AddLocalCoordinateSystem("ЛСК", origin, x, y, z));
    }

    SceneSurvey View() const { return SceneSurvey(*part); }
    HostDrawingContainer& Drawings() { return part->Drawings(); }

    HostDocumentPtr part;
};

// Every coordinate of every vertex and normal is a number.
inline bool AllFinite(const CTessellationObject& o) {
    for (const Point3D& p : o.vertices)
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return false;
    for (const Point3D& p : o.normals)
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return false;
    return true;
}

}  // namespace zarvento::test
